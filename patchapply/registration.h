// Registers the installer for ".kdz" files and under the suite's key, and removes that again.
#pragma once

#include <string>

#include "suite/program_registration.h"

namespace patchapply {

// PatchBench shares the class with its verb "open" and owns the class's default verb.
inline constexpr suite::ProgramRegistration kRegistration{
    "Software\\Quillmark\\FastFile Patch Installer",
    "Fastfile Patch Installer",
    "1.0 (BETA)",
    {".kdz", "Quillmark.FastFilePatch", "Quillmark Fastfile Patch", "install", "&Install", false,
     "quillmark-patchapply", "application/x-quillmark-fastfile-patch"},
};

// programPath: the installer's full file name. Failures are ignored, entry by entry.
inline void RegisterInstaller(const std::string& programPath) {
    suite::RegisterProgram(kRegistration, programPath);
}
inline void UnregisterInstaller() {
    suite::UnregisterProgram(kRegistration);
}

}  // namespace patchapply
