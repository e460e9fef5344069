#include "patchbench/engine/command_line.h"

#include <array>
#include <cctype>

namespace patchbench {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

bool StartsWithAny(std::string_view text, const std::array<std::string_view, 4>& switches) {
    for (std::string_view each : switches) {
        if (StartsWithNoCase(text, each)) {
            return true;
        }
    }
    return false;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
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
