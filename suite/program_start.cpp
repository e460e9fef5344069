#include "suite/program_start.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <process.h>
#else
#include <spawn.h>
#include <unistd.h>
extern char** environ;
#endif

namespace suite {

std::string PlatformProgramName(const std::string& windowsName) {
#if defined(_WIN32)
    return windowsName;
#else
    std::string name = windowsName;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) {
        name.resize(name.size() - 4);
    }
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
#endif
}

std::optional<std::string> FindOnSearchPath(const std::string& windowsName) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return std::nullopt;
    }
#if defined(_WIN32)
    constexpr char kListSeparator = ';';
#else
    constexpr char kListSeparator = ':';
#endif
    const std::string name = PlatformProgramName(windowsName);
    std::string_view rest = path;
    while (true) {
        const std::size_t end = rest.find(kListSeparator);
        const std::string directory(rest.substr(0, end));
        if (!directory.empty()) {
            const std::filesystem::path candidate = std::filesystem::path(directory) / name;
            std::error_code error;
            if (std::filesystem::is_regular_file(candidate, error)
#if !defined(_WIN32)
                && access(candidate.c_str(), X_OK) == 0
#endif
            ) {
                return candidate.string();
            }
        }
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(end + 1);
    }
}

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> texts = {program};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
#if defined(_WIN32)
    std::vector<const char*> argv;
    for (const std::string& text : texts) {
        argv.push_back(text.c_str());
    }
    argv.push_back(nullptr);
    return _spawnv(_P_NOWAIT, program.c_str(), argv.data()) != -1;
#else
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    return posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
#endif
}

}  // namespace suite
