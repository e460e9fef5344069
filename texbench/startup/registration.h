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

// programPath: the program's full file name. A failing entry does not stop the others; false
// when any failed. `refreshDesktop` false leaves an up-to-date desktop entry alone: a start
// need not rerun the desktop's cache tools when nothing changed.
inline bool RegisterProgram(const std::string& programPath, bool refreshDesktop = true) {
    return suite::RegisterProgram(kRegistration, programPath, refreshDesktop);
}
inline bool UnregisterProgram() {
    return suite::UnregisterProgram(kRegistration);
}

}  // namespace texbench
