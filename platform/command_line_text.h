#pragma once

#include <string>

#include "platform/export.h"

namespace qm {

// The text after the program name, as the programs examine it: on Windows the process's own
// command line is one text; here the arguments are joined with blanks, so that a file name
// with blanks comes back whole when it is the only thing given.
QM_PLATFORM_API std::string CommandLineText(int argc, const char* const* argv);

}  // namespace qm
