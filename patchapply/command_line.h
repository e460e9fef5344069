// What the installer was asked to do, read from the text after the program name.
#pragma once

#include <string>
#include <string_view>

namespace patchapply {

enum class CommandKind { Install, Register, Unregister };

struct CommandLine {
    CommandKind kind = CommandKind::Install;
    bool quiet = false;    // "-noprompt": no information dialog, success message or broadcast
    std::string fileName;  // trimmed; quotes are kept as the shell association passes them
};

CommandLine ParseCommandLine(std::string_view text);

}  // namespace patchapply
