#include "texbench/startup/command_line.h"

#include <array>

#include "platform/ascii.h"

namespace texbench {
namespace {

constexpr std::array<std::string_view, 4> kRegisterSwitches = {"-regserver", "/regserver",
                                                               "-register", "/register"};
constexpr std::array<std::string_view, 4> kUnregisterSwitches = {"-unregister", "/unregister",
                                                                 "-unregserver", "/unregserver"};
constexpr std::array<std::string_view, 2> kNoSplashSwitches = {"-nosplash", "/nosplash"};

template <std::size_t N>
bool StartsWithAny(std::string_view text, const std::array<std::string_view, N>& switches) {
    for (std::string_view candidate : switches) {
        if (qm::StartsWithNoCase(text, candidate)) {
            return true;
        }
    }
    return false;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view text) {
    CommandLine result;
    result.text = std::string(text);
    // The shell may put blanks between the program name and its first argument.
    const std::string_view head = qm::TrimStart(text);
    if (StartsWithAny(head, kRegisterSwitches)) {
        result.command = StartCommand::Register;
    } else if (StartsWithAny(head, kUnregisterSwitches)) {
        result.command = StartCommand::Unregister;
    } else if (StartsWithAny(head, kNoSplashSwitches)) {
        result.noSplash = true;
    }
    return result;
}

std::string HandOverText(std::string_view text) {
    std::string_view rest = qm::Trim(text);
    if (StartsWithAny(rest, kNoSplashSwitches)) {
        rest = qm::TrimStart(rest.substr(kNoSplashSwitches[0].size()));
    }
    return std::string(rest);
}

std::vector<std::string> ArgumentsWithAbsoluteFiles(std::span<const char* const> arguments,
                                                    const std::filesystem::path& startDirectory) {
    std::vector<std::string> result;
    for (const char* argument : arguments) {
        const std::filesystem::path name(argument);
        std::error_code error;
        const bool isFile = !name.empty() && argument[0] != '-' && name.is_relative() &&
                            std::filesystem::exists(startDirectory / name, error);
        result.push_back(isFile ? (startDirectory / name).lexically_normal().string()
                                : std::string(argument));
    }
    return result;
}

}  // namespace texbench
