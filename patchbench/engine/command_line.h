// The editor's command line: one text whose first characters may be a switch, the rest the
// path of a patch to open.
#pragma once

#include <string>
#include <string_view>

namespace patchbench {

enum class StartCommand { Run, Register, Unregister };

struct CommandLine {
    StartCommand command = StartCommand::Run;
    bool noSplash = false;  // the tip of the day is not shown
    std::string path;       // the patch to open; empty for a new one
};

// Switches are compared without regard to case over their own length: "-register",
// "/register", "-regserver", "/regserver"; "-unregister", "/unregister", "-unregserver",
// "/unregserver"; "-nosplash", "/nosplash" (removed, then blanks trimmed).
CommandLine ParseCommandLine(std::string_view text);

// The text a second start hands to the first: without a leading "-nosplash" or "/nosplash",
// blanks trimmed.
std::string WithoutNoSplash(std::string_view text);

}  // namespace patchbench
