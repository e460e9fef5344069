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
    std::string_view trimmed = qm::Trim(text);
    if (StartsWithOption(trimmed, "-register") || StartsWithOption(trimmed, "-regserver")) {
        result.kind = CommandKind::Register;
        return result;
    }
    if (StartsWithOption(trimmed, "-unregister") || StartsWithOption(trimmed, "-unregserver")) {
        result.kind = CommandKind::Unregister;
        return result;
    }
    if (StartsWithOption(trimmed, "-noprompt")) {
        result.quiet = true;
        trimmed = qm::Trim(trimmed.substr(9));
    }
    if (StartsWithOption(trimmed, "-uninstall")) {
        result.kind = CommandKind::Uninstall;
        trimmed = qm::Trim(trimmed.substr(10));
        if (StartsWithOption(trimmed, "-force")) {
            result.force = true;
            trimmed = qm::Trim(trimmed.substr(6));
        }
    }
    result.fileName = std::string(trimmed);
    return result;
}

}  // namespace patchapply
