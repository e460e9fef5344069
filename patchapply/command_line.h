// What the installer was asked to do, read from the text after the program name.
#pragma once

#include <string>
#include <string_view>

namespace patchapply {

enum class CommandKind { Install, Register, Unregister, Uninstall };

struct CommandLine {
    CommandKind kind = CommandKind::Install;
    bool quiet = false;    // "-noprompt": no information dialog, success message or broadcast
    bool force = false;    // "-uninstall -force": restore items changed since without asking
    std::string fileName;  // trimmed; quotes are kept as the shell association passes them;
                           // for "-uninstall" the record's folder or folder name
};

CommandLine ParseCommandLine(std::string_view text);

}  // namespace patchapply
