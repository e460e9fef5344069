// What the text after the program name asks TexBench to do.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// The program's arguments (without its name) with every file or directory named relative to
// `startDirectory` made absolute; switches and other words stay as they are. Start-up makes the
// program's own directory the current one, and a second start hands its text to an instance
// that runs elsewhere, so a relative name would no longer find the user's file.
std::vector<std::string> ArgumentsWithAbsoluteFiles(std::span<const char* const> arguments,
                                                    const std::filesystem::path& startDirectory);

}  // namespace texbench
