#include "patchbench/engine/command_line.h"

#include <array>

#include "platform/ascii.h"

namespace patchbench {
namespace {

using qm::StartsWithNoCase;
using qm::Trim;

bool StartsWithAny(std::string_view text, const std::array<std::string_view, 4>& switches) {
    for (std::string_view each : switches) {
        if (StartsWithNoCase(text, each)) {
            return true;
        }
    }
    return false;
}

bool StartsWithNoSplash(std::string_view text) {
    return StartsWithNoCase(text, "-nosplash") || StartsWithNoCase(text, "/nosplash");
}

}  // namespace

CommandLine ParseCommandLine(std::string_view text) {
    CommandLine result;
    const std::string_view trimmed = Trim(text);
    if (StartsWithAny(trimmed, {"-register", "/register", "-regserver", "/regserver"})) {
        result.command = StartCommand::Register;
        return result;
    }
    if (StartsWithAny(trimmed, {"-unregister", "/unregister", "-unregserver", "/unregserver"})) {
        result.command = StartCommand::Unregister;
        return result;
    }
    result.noSplash = StartsWithNoSplash(trimmed);
    std::string_view path = Trim(result.noSplash ? trimmed.substr(9) : trimmed);
    // The shell quotes a file name with blanks; the quotes are not part of it.
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        path = path.substr(1, path.size() - 2);
    }
    result.path = std::string(path);
    return result;
}

std::string WithoutNoSplash(std::string_view text) {
    std::string_view trimmed = Trim(text);
    if (StartsWithNoSplash(trimmed)) {
        trimmed = Trim(trimmed.substr(9));
    }
    return std::string(trimmed);
}

}  // namespace patchbench
