#pragma once

#include <string>
#include <string_view>
#include <vector>

// Shortcuts on the Linux desktop: a desktop entry file (".desktop") that starts the target
// with its arguments, or opens it when it is not a program.
namespace qm::setup {

// A link name as Setup.ini gives it: ".desktop" appended when the file name has no dot, and
// put in place of a ".lnk" that was written for Windows.
std::string ShortcutFileName(std::string link);

// An argument for the entry's Exec key: quoted when it holds a reserved character, with the
// escapes the quoting needs and "%" doubled (before the key's own escapes are applied).
std::string ExecArgument(std::string_view argument);

// The arguments of a command line: blanks separate them, double quotes group blanks.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The whole file. `runTarget` false opens the target with the desktop's default program.
std::string DesktopEntryText(std::string_view name, std::string_view target,
                             const std::vector<std::string>& arguments, bool runTarget);

}  // namespace qm::setup
