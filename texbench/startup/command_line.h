// What the text after the program name asks TexBench to do.
#pragma once

#include <string>
#include <string_view>

namespace texbench {

enum class StartCommand { Run, Register, Unregister };

struct CommandLine {
    StartCommand command = StartCommand::Run;
    bool noSplash = false;
    std::string text;  // the whole text as received; the main dialog finds a file name in it
};

// Only the beginning of the text is examined, without regard to letter case, and every switch
// matches as a prefix ("-registerABC" registers). The register group wins over the unregister
// group, which wins over "-nosplash".
CommandLine ParseCommandLine(std::string_view text);

// What a second start hands to the running instance: the text trimmed, a leading "-nosplash" or
// "/nosplash" (any case) removed and the start trimmed again. Empty when nothing remains.
std::string HandOverText(std::string_view text);

}  // namespace texbench
