#pragma once

#include <memory>
#include <string>

#include "platform/dynamic_library.h"

namespace qm::setup {

class CSetupConfig;
struct InstallChoices;

inline constexpr std::size_t kExtensionPathChars = 260;
inline constexpr std::size_t kExtensionUserChars = 256;

// The records the extension library's entry points are given, laid out as their authors
// expect: plain bytes, no padding.
struct SETUPUNINSTALL {
    unsigned char save;  // "save uninstall information", 1 or 0
    char directory[kExtensionPathChars];
};
struct SETUPUSER {
    char name[kExtensionUserChars];
    char company[kExtensionUserChars];
};
static_assert(sizeof(SETUPUNINSTALL) == 1 + kExtensionPathChars);
static_assert(sizeof(SETUPUSER) == 2 * kExtensionUserChars);

// An installation's own library of checks ([Modules] "Library"). Every entry point is
// optional; a missing one agrees.
class CExtensionLibrary {
  public:
    // Null when the library cannot be loaded.
    static std::unique_ptr<CExtensionLibrary> Load(const std::string& path);

    // SetupInit, then SetupInitDir, SetupInitGroup, SetupInitUninst and SetupInitUser with
    // the current choices, which take what the library wrote into the buffers. False as soon
    // as one refuses.
    bool Initialise(CSetupConfig& config, InstallChoices& choices);

    bool ValidateDirectory(const std::string& directory);
    bool ValidateGroup(const std::string& group);
    bool ValidateUninstall(bool save, const std::string& directory);
    // SetupExit with 1 before a restart, -1 after a cancelled or failed wizard, 0 after
    // success; false when the library refused.
    bool Exit(int how);

  private:
    explicit CExtensionLibrary(std::unique_ptr<DynamicLibrary> library);
    // cdecl, at most one pointer argument, 0 refuses.
    using Entry = int (*)(void*);
    using ExitEntry = int (*)(int);
    bool Call(const char* name, void* argument) const;

    std::unique_ptr<DynamicLibrary> library_;
};

}  // namespace qm::setup
