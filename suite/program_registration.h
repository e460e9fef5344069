// Registers a program of the suite under its own key and as the handler of its file type, and
// removes that again. Each program describes its registration in one table
// (ProgramRegistration); the same walker writes and removes every program's entries, so that
// the tools cannot drift apart in what they leave in the registry.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"

namespace suite {

// The file type a program opens: the extension's class and the one verb the program adds.
struct FileTypeRegistration {
    const char* extension;    // with its dot, e.g. ".ffl"
    const char* fileClass;    // e.g. "Quillmark.FastFile"
    const char* description;  // the class's unnamed value, e.g. "Rebellion Fastfile"
    const char* verb;         // e.g. "open"
    const char* verbText;     // the verb's menu text, e.g. "&Open"
    // Whether the program makes its verb the class's default ("shell" unnamed value); a
    // program that shares the class with another tool leaves the default to that tool.
    bool defaultVerb;
    // How the Linux desktop knows the type: the stem of its .desktop and MIME files.
    const char* desktopId;  // e.g. "quillmark-texbench"
    const char* mimeType;   // e.g. "application/x-quillmark-fastfile"
};

struct ProgramRegistration {
    const char* programKey;  // below HKEY_LOCAL_MACHINE, e.g. "Software\\Quillmark\\Skinwright"
    const char* displayName;
    const char* version;
    FileTypeRegistration fileType;
};

// One string value the registration writes.
struct RegistryEntry {
    qm::RegistryRoot root;
    std::string key;
    std::string valueName;  // empty: the key's unnamed value
    std::string data;
};

// Every value of the registration in the order it is written: the file type's keys, then
// the program key's unnamed value (the program path), "DisplayName", "Version" and "Path"
// (the program's directory with its trailing separator).
std::vector<RegistryEntry> RegistrationEntries(const ProgramRegistration& program,
                                               const std::string& programPath);

// Writes every entry and, on Linux, the desktop entry and MIME type. `refreshDesktop` false
// leaves an up-to-date desktop entry alone: a start need not rerun the desktop's cache tools
// when nothing changed. A failing entry does not stop the others; false when any failed.
bool RegisterProgram(const ProgramRegistration& program, const std::string& programPath,
                     bool refreshDesktop = true);

// Removes the program key and the file type's keys, deepest first, and the desktop files.
// Keys of other tools below the suite's key stay. False when something could not be removed.
bool UnregisterProgram(const ProgramRegistration& program);

}  // namespace suite
