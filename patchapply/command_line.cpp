#include "patchapply/command_line.h"

#include "platform/ascii.h"

namespace patchapply {
namespace {

// Only the option's own characters are compared, so "-registerXYZ" still registers; the
// leading character may be '-' or '/'.
bool StartsWithOption(std::string_view text, std::string_view option) {
    if (text.size() < option.size() || (text[0] != '-' && text[0] != '/')) {
        return false;
    }
    for (std::size_t i = 1; i < option.size(); ++i) {
        if (qm::LowerAscii(text[i]) != option[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view text) {
    CommandLine result;
    const std::string_view trimmed = qm::Trim(text);
    if (StartsWithOption(trimmed, "-uninstall")) {
        result.kind = CommandKind::Uninstall;
        std::string_view rest = qm::Trim(trimmed.substr(10));
        if (StartsWithOption(rest, "-force")) {
            result.force = true;
            rest = qm::Trim(rest.substr(6));
        }
        result.fileName = std::string(rest);
    } else if (StartsWithOption(trimmed, "-register") || StartsWithOption(trimmed, "-regserver")) {
        result.kind = CommandKind::Register;
    } else if (StartsWithOption(trimmed, "-unregister") ||
               StartsWithOption(trimmed, "-unregserver")) {
        result.kind = CommandKind::Unregister;
    } else if (StartsWithOption(trimmed, "-noprompt")) {
        result.quiet = true;
        result.fileName = std::string(qm::Trim(trimmed.substr(9)));
    } else {
        result.fileName = std::string(trimmed);
    }
    return result;
}

}  // namespace patchapply
