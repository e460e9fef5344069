// Registers TexBench as the program for ".ffl" files and under the suite's key, and removes
// that again.
#pragma once

#include <string>

#include "suite/program_registration.h"

namespace texbench {

inline constexpr char kProgramKey[] = "Software\\Quillmark\\Skinwright";
inline constexpr char kFileClass[] = "Quillmark.FastFile";

inline constexpr suite::ProgramRegistration kRegistration{
    kProgramKey,
    "Skinwright",
    "2.0 (BETA 2)",
    {".ffl", kFileClass, "Rebellion Fastfile", "open", "&Open", true, "quillmark-texbench",
     "application/x-quillmark-fastfile"},
};

// programPath: the program's full file name. Failures are ignored, entry by entry.
// `refreshDesktop` false leaves an up-to-date desktop entry alone: a start need not rerun the
// desktop's cache tools when nothing changed.
inline void RegisterProgram(const std::string& programPath, bool refreshDesktop = true) {
    suite::RegisterProgram(kRegistration, programPath, refreshDesktop);
}
inline void UnregisterProgram() {
    suite::UnregisterProgram(kRegistration);
}

}  // namespace texbench
