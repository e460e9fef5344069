#include "patchbench/engine/registration.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/profile_settings.h"
#include "platform/desktop_registration.h"
#include "platform/registry.h"

namespace patchbench {
namespace {

// How the Linux desktop learns that the editor opens ".kdz" files; the MIME type is the one
// the installer registers, so both appear for the same files.
[[maybe_unused]] qm::DesktopFileType DesktopType(const std::string& programPath) {
    return {"quillmark-patchbench",
            "application/x-quillmark-fastfile-patch",
            "Quillmark Fastfile Patch",
            "kdz",
            kProgramTitle,
            programPath};
}

// True when the desktop entry exists and already starts this program.
[[maybe_unused]] bool DesktopEntryCurrent(const std::string& programPath) {
    const auto entry = std::filesystem::path(qm::DesktopDataHome()) / "applications" /
                       (DesktopType(programPath).id + ".desktop");
    std::ifstream in(entry);
    std::stringstream text;
    text << in.rdbuf();
    return in && text.str().find("\"" + programPath + "\"") != std::string::npos;
}

}  // namespace

void RegisterEditor(const std::string& programPath, bool refreshDesktop) {
    using qm::RegistryRoot;
    const std::string cls = kPatchFileClass;
    qm::RegistrySetString(RegistryRoot::ClassesRoot, ".kdz", "", cls);
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls, "", "Quillmark Fastfile Patch");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\DefaultIcon", "", programPath + ",1");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\shell", "", "open");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\shell\\open", "", "&Open");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, cls + "\\shell\\open\\command", "",
                          programPath + " %1");
    qm::RegistrySetString(RegistryRoot::LocalMachine, kProgramKey, "", programPath);
    qm::RegistrySetString(RegistryRoot::LocalMachine, kProgramKey, "DisplayName", kProgramTitle);
    qm::RegistrySetString(RegistryRoot::LocalMachine, kProgramKey, "Version", kProgramVersion);
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

void UnregisterEditor() {
    using qm::RegistryRoot;
    const std::string cls = kPatchFileClass;
    qm::RegistryDeleteKey(RegistryRoot::LocalMachine, kProgramKey);
    for (const char* sub :
         {"\\shell\\open\\command", "\\shell\\open", "\\shell", "\\DefaultIcon", ""}) {
        qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, cls + sub);
    }
    qm::RegistryDeleteKey(RegistryRoot::ClassesRoot, ".kdz");
#if !defined(_WIN32)
    qm::UnregisterDesktopFileType(DesktopType({}));
#endif
}

}  // namespace patchbench
