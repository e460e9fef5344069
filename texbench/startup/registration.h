// Registers TexBench as the program for ".ffl" files and under the suite's key, and removes
// that again.
#pragma once

#include <string>

namespace texbench {

inline constexpr char kProgramKey[] = "Software\\Quillmark\\Skinwright";
inline constexpr char kFileClass[] = "Quillmark.FastFile";

// programPath: the program's full file name. Failures are ignored, entry by entry.
// `refreshDesktop` false leaves an up-to-date desktop entry alone: a start need not rerun the
// desktop's cache tools when nothing changed.
void RegisterProgram(const std::string& programPath, bool refreshDesktop = true);
void UnregisterProgram();

}  // namespace texbench
