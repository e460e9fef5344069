#include "suite/program_start.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <thread>

#if defined(_WIN32)
#include <process.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
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
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    ReapWhenEnded(child);
    return true;
#endif
}

bool StartHiddenProgram(const std::string& program, const std::string& parameter,
                        std::chrono::milliseconds wait) {
#if !defined(_WIN32)
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Hidden: nothing of it reaches the caller's terminal.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string path = program;
    std::string argument = parameter;
    char* argv[] = {path.data(), argument.data(), nullptr};
    pid_t child = 0;
    const int started = posix_spawn(&child, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ReapWhenEnded(child);
            return true;  // still running: it goes on by itself
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A program that could not be executed ends at once with 127 from the spawn.
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
#else
    (void)program;
    (void)parameter;
    (void)wait;
    return false;
#endif
}

#if !defined(_WIN32)
void ReapWhenEnded(int pid) {
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) == -1 && errno == EINTR) {
        }
    }).detach();
}
#endif

}  // namespace suite
