#include "texbench/startup/registration.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/desktop_registration.h"
#include "platform/registry.h"
#include "texbench/startup/settings.h"

namespace texbench {
namespace {

// How the Linux desktop learns that TexBench opens ".ffl" files.
[[maybe_unused]] qm::DesktopFileType DesktopType(const std::string& programPath) {
    return {"quillmark-texbench", "application/x-quillmark-fastfile",
            "Rebellion Fastfile", "ffl",
            "Skinwright",         programPath};
}

// True when the desktop entry exists and already starts this program.
[[maybe_unused]] bool DesktopEntryCurrent(const std::string& programPath) {
    const auto entry = std::filesystem::path(qm::DesktopDataHome()) / "applications" /
                       (DesktopType(programPath).id + ".desktop");
    std::ifstream in(entry);
    if (!in) {
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return text.str().find("\"" + programPath + "\"") != std::string::npos;
}

}  // namespace

void RegisterProgram(const std::string& programPath, bool refreshDesktop) {
    using qm::RegistryRoot;
    const std::string cls = kFileClass;
    qm::RegistrySetString(RegistryRoot::ClassesRoot, ".ffl", "", cls);
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls, "", "Rebellion Fastfile");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\DefaultIcon", "", programPath + ",1");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\shell", "", "open");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\shell\\open", "", "&Open");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\shell\\open\\command", "",
                          programPath + " %1");
    qm::RegistrySetString(RegistryRoot::LocalMachine, kProgramKey, "", programPath);
    qm::RegistrySetString(RegistryRoot::LocalMachine, kProgramKey, "DisplayName", "Skinwright");
    qm::RegistrySetString(RegistryRoot::LocalMachine, kProgramKey, "Version", "2.0 (BETA 2)");
    qm::RegistrySetString(RegistryRoot::LocalMachine, kProgramKey, "Path",
                          ProgramDirectoryOf(programPath));
#if !defined(_WIN32)
    if (refreshDesktop || !DesktopEntryCurrent(programPath)) {
        qm::RegisterDesktopFileType(DesktopType(programPath));
    }
#else
    (void)refreshDesktop;
#endif
}

void UnregisterProgram() {
    using qm::RegistryRoot;
    const std::string cls = kFileClass;
    qm::RegistryDeleteKey(RegistryRoot::LocalMachine, kProgramKey);
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + "\\shell\\open\\command");
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + "\\shell\\open");
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + "\\shell");
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + "\\DefaultIcon");
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls);
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, ".ffl");
#if !defined(_WIN32)
    qm::UnregisterDesktopFileType(DesktopType({}));
#endif
}

}  // namespace texbench
