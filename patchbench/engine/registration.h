// Registers the editor as the "open" handler of ".kdz" files and under the suite's key, and
// removes that again. The installer registers its own "install" verb under the same class.
#pragma once

#include <string>

namespace patchbench {

inline constexpr char kProgramKey[] = "Software\\Quillmark\\FastFile Patch Editor";
inline constexpr char kPatchFileClass[] = "Quillmark.FastFilePatch";
inline constexpr char kProgramVersion[] = "1.0 (BETA)";

// programPath: the program's full file name, unquoted. Failures are ignored, entry by entry.
// `refreshDesktop` false leaves an up-to-date desktop entry alone, so that a start does not
// rerun the desktop's cache tools when nothing changed.
void RegisterEditor(const std::string& programPath, bool refreshDesktop = true);
void UnregisterEditor();

}  // namespace patchbench
