// Where the main dialog takes its template and pictures from: a skin module, or the program
// itself, which holds the system look's template and no skin pictures.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "texbench/skins/skin_module_abi.h"

namespace qm {
class DynamicLibrary;
}

namespace texbench {

enum class ResourceType : unsigned { Bitmap = QM_SKIN_BITMAP, Dialog = QM_SKIN_DIALOG };

// The resource numbers the skin parts use.
inline constexpr int kMainDialogTemplate = 102;
inline constexpr int kMainBackground = 400;
inline constexpr int kProgressBackground = 401;
inline constexpr int kFirstButtonPicture = 500;  // 500..505; pressed: + 100
inline constexpr int kPressedOffset = 100;

class SkinResources {
  public:
    virtual ~SkinResources() = default;
    // Empty when there is no such resource.
    virtual std::span<const unsigned char> Find(ResourceType type, int id) const = 0;
    // Null when the source exports no "InitSkin".
    virtual QmInitSkinFunction InitSkin() const { return nullptr; }
    // The program's own resources rather than a loaded library.
    virtual bool IsProgram() const { return false; }
};

// The program's own resources: template 102 of the system look, nothing else.
class ProgramResources : public SkinResources {
  public:
    std::span<const unsigned char> Find(ResourceType type, int id) const override;
    bool IsProgram() const override { return true; }
};

// A skin module loaded by name through the platform's library search.
class SkinModule : public SkinResources {
  public:
    // Null when the library cannot be loaded; *error then says why.
    static std::unique_ptr<SkinModule> Load(std::string_view name, std::string* error = nullptr);
    ~SkinModule() override;

    std::span<const unsigned char> Find(ResourceType type, int id) const override;
    QmInitSkinFunction InitSkin() const override { return initSkin_; }

  private:
    explicit SkinModule(std::unique_ptr<qm::DynamicLibrary> library);
    std::unique_ptr<qm::DynamicLibrary> library_;
    QmSkinFindResourceFunction find_ = nullptr;
    QmInitSkinFunction initSkin_ = nullptr;
};

// The text of a dialog resource, empty when there is none.
std::string_view DialogText(const SkinResources& resources, int id);

}  // namespace texbench
