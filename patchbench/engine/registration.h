// Registers the editor as the "open" handler of ".kdz" files and under the suite's key, and
// removes that again. The installer registers its own "install" verb under the same class.
#pragma once

#include <string>

namespace patchbench {

inline constexpr char kProgramKey[] = "Software\\Quillmark\\FastFile Patch Editor";
inline constexpr char kPatchFileClass[] = "Quillmark.FastFilePatch";
inline constexpr char kProgramVersion[] = "1.0 (BETA)";

// programPath: the program's full file name, unquoted. A failing entry does not stop the
// others; false when any failed. `refreshDesktop` false leaves an up-to-date desktop entry
// alone, so that a start does not rerun the desktop's cache tools when nothing changed.
bool RegisterEditor(const std::string& programPath, bool refreshDesktop = true);
// False when something could not be removed.
bool UnregisterEditor();

}  // namespace patchbench
