#include "setup/flow/setup_system.h"

#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#endif

namespace qm::setup {

namespace {

#if !defined(_WIN32)

// Arguments as a command line writes them: blanks separate, double quotes group.
std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) {
                arguments.push_back(std::move(current));
                current.clear();
                any = false;
            }
        } else {
            current += c;
            any = true;
        }
    }
    if (any) {
        arguments.push_back(std::move(current));
    }
    return arguments;
}

bool IsProgram(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0;
}

// Runs argv[0] (looked up on the search path when it has no slash). The child reports a
// failed exec through a pipe closed on exec, so "could not be started" is told apart from
// a program that ran and failed.
std::optional<int> Spawn(std::vector<std::string> arguments, const std::string& directory,
                         bool wait) {
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return std::nullopt;
    }
    if (child == 0) {
        close(report[0]);
        if (!directory.empty() && chdir(directory.c_str()) != 0) {
            const int error = errno;
            [[maybe_unused]] auto written = write(report[1], &error, sizeof error);
            _exit(127);
        }
        if (!wait) {
            setsid();  // the program outlives Setup
        }
        execvp(argv[0], argv.data());
        const int error = errno;
        [[maybe_unused]] auto written = write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got > 0) {
        waitpid(child, nullptr, 0);
        return std::nullopt;
    }
    if (!wait) {
        // Reaped by nobody while Setup runs; Setup ends soon after it starts a module.
        return 0;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace

SetupSystem::~SetupSystem() = default;

std::optional<int> SetupSystem::StartProgram(const std::string& program, bool wait) {
#if !defined(_WIN32)
    if (!IsProgram(program)) {
        return std::nullopt;
    }
    return Spawn({program}, "", wait);
#else
    (void)program;
    (void)wait;
    return std::nullopt;
#endif
}

bool SetupSystem::Open(const std::string& file, const std::string& arguments,
                       const std::string& directory) {
#if !defined(_WIN32)
    std::vector<std::string> command;
    struct stat info {};
    const bool onSearchPath = file.find('/') == std::string::npos && stat(file.c_str(), &info) != 0;
    if (IsProgram(file) || onSearchPath) {
        command.push_back(file);
        for (std::string& argument : SplitArguments(arguments)) {
            command.push_back(std::move(argument));
        }
    } else {
        command = {"xdg-open", file};
    }
    return Spawn(std::move(command), directory, false).has_value();
#else
    (void)file;
    (void)arguments;
    (void)directory;
    return false;
#endif
}

bool SetupSystem::RestartComputer() {
    // Test runs and trials of the unattended installation must never take the machine down.
    if (const char* value = std::getenv("QM_NO_RESTART"); value && *value && *value != '0') {
        std::fprintf(stderr, "setup: restart skipped (QM_NO_RESTART is set)\n");
        return true;
    }
#if !defined(_WIN32)
    const auto result = Spawn({"systemctl", "reboot"}, "", true);
    return result && *result == 0;
#else
    return false;
#endif
}

}  // namespace qm::setup
