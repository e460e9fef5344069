#include "suite/program_registration.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/desktop_registration.h"
#include "platform/program_path.h"

namespace suite {
namespace {

using qm::RegistryRoot;

[[maybe_unused]] qm::DesktopFileType DesktopType(const ProgramRegistration& program,
                                                 const std::string& programPath) {
    const FileTypeRegistration& type = program.fileType;
    const std::string extension = type.extension[0] == '.' ? type.extension + 1 : type.extension;
    return {type.desktopId, type.mimeType,       type.description,
            extension,      program.displayName, programPath};
}

// True when the desktop entry exists and already starts this program.
[[maybe_unused]] bool DesktopEntryCurrent(const ProgramRegistration& program,
                                          const std::string& programPath) {
    const auto entry = std::filesystem::path(qm::DesktopDataHome()) / "applications" /
                       (std::string(program.fileType.desktopId) + ".desktop");
    std::ifstream in(entry);
    if (!in) {
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return text.str().find("\"" + programPath + "\"") != std::string::npos;
}

// The file type's keys from the deepest up, the order in which they can be deleted.
std::vector<std::string> FileTypeKeysDeepestFirst(const FileTypeRegistration& type) {
    const std::string cls = type.fileClass;
    const std::string verb = cls + "\\shell\\" + type.verb;
    return {verb + "\\command", verb, cls + "\\shell", cls + "\\DefaultIcon", cls, type.extension};
}

// A key that is not there counts as removed.
bool RemoveKey(RegistryRoot root, const std::string& key) {
    return qm::RegistryDeleteKey(root, key) || !qm::RegistryKeyExists(root, key);
}

}  // namespace

std::vector<RegistryEntry> RegistrationEntries(const ProgramRegistration& program,
                                               const std::string& programPath) {
    const FileTypeRegistration& type = program.fileType;
    const std::string cls = type.fileClass;
    const std::string verb = cls + "\\shell\\" + type.verb;
    std::vector<RegistryEntry> entries = {
        {RegistryRoot::ClassesRoot, type.extension, "", cls},
        {RegistryRoot::ClassesRoot, cls, "", type.description},
        {RegistryRoot::ClassesRoot, cls + "\\DefaultIcon", "", programPath + ",1"},
    };
    if (type.defaultVerb) {
        entries.push_back({RegistryRoot::ClassesRoot, cls + "\\shell", "", type.verb});
    }
    entries.push_back({RegistryRoot::ClassesRoot, verb, "", type.verbText});
    entries.push_back({RegistryRoot::ClassesRoot, verb + "\\command", "", programPath + " %1"});
    const std::string key = program.programKey;
    entries.push_back({RegistryRoot::LocalMachine, key, "", programPath});
    entries.push_back({RegistryRoot::LocalMachine, key, "DisplayName", program.displayName});
    entries.push_back({RegistryRoot::LocalMachine, key, "Version", program.version});
    entries.push_back(
        {RegistryRoot::LocalMachine, key, "Path", qm::ProgramDirectoryOf(programPath)});
    return entries;
}

bool RegisterProgram(const ProgramRegistration& program, const std::string& programPath,
                     bool refreshDesktop) {
    bool ok = true;
    for (const RegistryEntry& entry : RegistrationEntries(program, programPath)) {
        ok = qm::RegistrySetString(entry.root, entry.key, entry.valueName, entry.data) && ok;
    }
#if !defined(_WIN32)
    if (refreshDesktop || !DesktopEntryCurrent(program, programPath)) {
        ok = qm::RegisterDesktopFileType(DesktopType(program, programPath)) && ok;
    }
#else
    (void)refreshDesktop;
#endif
    return ok;
}

bool UnregisterProgram(const ProgramRegistration& program) {
    bool ok = RemoveKey(RegistryRoot::LocalMachine, program.programKey);
    for (const std::string& key : FileTypeKeysDeepestFirst(program.fileType)) {
        ok = RemoveKey(RegistryRoot::ClassesRoot, key) && ok;
    }
#if !defined(_WIN32)
    ok = qm::UnregisterDesktopFileType(DesktopType(program, {})) && ok;
#endif
    return ok;
}

}  // namespace suite
