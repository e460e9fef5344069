#include "setup/flow/extension_library.h"

#include <algorithm>
#include <cstring>

#include "setup/install_engine.h"
#include "setup/setup_config.h"

namespace qm::setup {

namespace {

// Copies into a fixed field, cut short and always terminated.
template <std::size_t N>
void CopyToField(char (&field)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, N - length);
}

template <std::size_t N>
std::string FromField(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

struct PathBuffer {
    char text[kExtensionPathChars];
};

}  // namespace

CExtensionLibrary::CExtensionLibrary(std::unique_ptr<DynamicLibrary> library)
    : library_(std::move(library)) {}

std::unique_ptr<CExtensionLibrary> CExtensionLibrary::Load(const std::string& path) {
    auto library = DynamicLibrary::Load(path);
    if (!library) {
        return nullptr;
    }
    return std::unique_ptr<CExtensionLibrary>(new CExtensionLibrary(std::move(library)));
}

bool CExtensionLibrary::Call(const char* name, void* argument) const {
    auto entry = reinterpret_cast<Entry>(library_->Symbol(name));
    return entry == nullptr || entry(argument) != 0;
}

bool CExtensionLibrary::Initialise(CSetupConfig& config, InstallChoices& choices) {
    if (!Call("SetupInit", nullptr)) {
        return false;
    }
    PathBuffer directory{};
    CopyToField(directory.text, config.Destination());
    if (!Call("SetupInitDir", directory.text)) {
        return false;
    }
    config.SetDestination(FromField(directory.text));

    PathBuffer group{};
    CopyToField(group.text, config.Group());
    if (!Call("SetupInitGroup", group.text)) {
        return false;
    }
    config.SetGroup(FromField(group.text));

    SETUPUNINSTALL uninstall{};
    uninstall.save = choices.uninstall ? 1 : 0;
    CopyToField(uninstall.directory, config.LogDirectory());
    if (!Call("SetupInitUninst", &uninstall)) {
        return false;
    }
    choices.uninstall = uninstall.save != 0;
    config.SetLogDirectory(FromField(uninstall.directory));

    SETUPUSER user{};
    CopyToField(user.name, config.UserName());
    CopyToField(user.company, config.Company());
    if (!Call("SetupInitUser", &user)) {
        return false;
    }
    config.SetUser(FromField(user.name), FromField(user.company));
    return true;
}

bool CExtensionLibrary::ValidateDirectory(const std::string& directory) {
    PathBuffer buffer{};
    CopyToField(buffer.text, directory);
    return Call("SetupValidateDir", buffer.text);
}

bool CExtensionLibrary::ValidateGroup(const std::string& group) {
    PathBuffer buffer{};
    CopyToField(buffer.text, group);
    return Call("SetupValidateGroup", buffer.text);
}

bool CExtensionLibrary::ValidateUninstall(bool save, const std::string& directory) {
    SETUPUNINSTALL record{};
    record.save = save ? 1 : 0;
    CopyToField(record.directory, directory);
    return Call("SetupValidateUninst", &record);
}

bool CExtensionLibrary::Exit(int how) {
    auto entry = reinterpret_cast<ExitEntry>(library_->Symbol("SetupExit"));
    return entry == nullptr || entry(how) != 0;
}

}  // namespace qm::setup
