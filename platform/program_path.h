// Where the running program lives, and the files named after it: every program keeps its
// settings and help file beside itself, and other tools find it through its directory.
#pragma once

#include <string>
#include <string_view>

#include "platform/export.h"

namespace qm {

// The running program's full file name; `argv0` made absolute when the system cannot tell.
QM_PLATFORM_API std::string RunningProgramPath(const char* argv0);

// Directory of the running program, ending with the path separator ("./" when unknown).
QM_PLATFORM_API std::string ProgramDirectory();

// A program path's directory, up to and including its last separator; empty without one.
QM_PLATFORM_API std::string ProgramDirectoryOf(std::string_view programPath);

// A file beside the program named like it: the program path up to and including the last "."
// of its file name, then `extension`; a file name without "." gets "." and the extension.
QM_PLATFORM_API std::string ProgramFilePath(std::string_view programPath,
                                            std::string_view extension);

}  // namespace qm
