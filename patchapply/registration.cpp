#include "patchapply/registration.h"

#include "platform/desktop_registration.h"
#include "platform/registry.h"

namespace patchapply {
namespace {

constexpr const char* kClass = "Quillmark.FastFilePatch";
constexpr const char* kInstallerKey = "Software\\Quillmark\\FastFile Patch Installer";

// The directory part of a program path, up to and including its last separator; programs
// launched by the other tools are found through it.
std::string DirectoryOf(const std::string& programPath) {
    const std::size_t slash = programPath.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
}

#if !defined(_WIN32)
// How the Linux desktop learns that the installer opens ".kdz" files.
qm::DesktopFileType DesktopType(const std::string& programPath) {
    return {"quillmark-patchapply",     "application/x-quillmark-fastfile-patch",
            "Quillmark Fastfile Patch", "kdz",
            "Fastfile Patch Installer", programPath};
}
#endif

}  // namespace

void RegisterInstaller(const std::string& programPath) {
    using qm::RegistryRoot;
    const std::string cls = kClass;
    qm::RegistrySetString(RegistryRoot::ClassesRoot, ".kdz", "", cls);
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls, "", "Quillmark Fastfile Patch");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\DefaultIcon", "", programPath + ",1");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\shell\\install", "", "&Install");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\shell\\install\\command", "",
                          programPath + " %1");
    qm::RegistrySetString(RegistryRoot::LocalMachine, kInstallerKey, "", programPath);
    qm::RegistrySetString(RegistryRoot::LocalMachine, kInstallerKey, "DisplayName",
                          "Fastfile Patch Installer");
    qm::RegistrySetString(RegistryRoot::LocalMachine, kInstallerKey, "Version", "1.0 (BETA)");
    qm::RegistrySetString(RegistryRoot::LocalMachine, kInstallerKey, "Path",
                          DirectoryOf(programPath));
#if !defined(_WIN32)
    qm::RegisterDesktopFileType(DesktopType(programPath));
#endif
}

void UnregisterInstaller() {
    using qm::RegistryRoot;
    const std::string cls = kClass;
    qm::RegistryDeleteKey(RegistryRoot::LocalMachine, kInstallerKey);
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + "\\shell\\install\\command");
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + "\\shell\\install");
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + "\\shell");
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + "\\DefaultIcon");
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls);
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, ".kdz");
#if !defined(_WIN32)
    qm::UnregisterDesktopFileType(DesktopType({}));
#endif
}

}  // namespace patchapply
