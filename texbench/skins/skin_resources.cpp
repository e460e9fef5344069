#include "texbench/skins/skin_resources.h"

#include <utility>

#include "platform/dynamic_library.h"
#include "texbench/skins/dialog_template.h"

namespace texbench {

std::span<const unsigned char> ProgramResources::Find(ResourceType type, int id) const {
    if (type == ResourceType::Dialog && id == kMainDialogTemplate) {
        const std::string_view layout = BuiltInMainDialogLayout();
        return {reinterpret_cast<const unsigned char*>(layout.data()), layout.size()};
    }
    return {};
}

std::unique_ptr<SkinModule> SkinModule::Load(std::string_view name, std::string* error) {
    auto library = qm::DynamicLibrary::Load(name, error);
    if (!library) {
        return nullptr;
    }
    return std::unique_ptr<SkinModule>(new SkinModule(std::move(library)));
}

SkinModule::SkinModule(std::unique_ptr<qm::DynamicLibrary> library) : library_(std::move(library)) {
    // A library without the resource lookup still loads, as a resource library without
    // resources would: every picture is then missing and the template cannot be found.
    find_ = reinterpret_cast<QmSkinFindResourceFunction>(library_->Symbol("QmSkinFindResource"));
    initSkin_ = reinterpret_cast<QmInitSkinFunction>(library_->Symbol("InitSkin"));
}

SkinModule::~SkinModule() = default;

std::span<const unsigned char> SkinModule::Find(ResourceType type, int id) const {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (find_ == nullptr || id < 0 ||
        find_(static_cast<unsigned>(type), static_cast<unsigned>(id), &data, &size) == 0 ||
        data == nullptr) {
        return {};
    }
    return {data, size};
}

std::string_view DialogText(const SkinResources& resources, int id) {
    const auto bytes = resources.Find(ResourceType::Dialog, id);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace texbench
