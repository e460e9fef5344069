#include "setup/setup_services.h"

#include <thread>

#include "platform/dynamic_library.h"
#include "platform/ipc.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace qm::setup {

SetupServices::~SetupServices() = default;

std::optional<std::uint64_t> SetupServices::FreeSpace(const std::string& directory) {
#if !defined(_WIN32)
    struct statvfs info {};
    if (statvfs(directory.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return std::uint64_t{info.f_bavail} * info.f_frsize;
#else
    (void)directory;
    return std::nullopt;
#endif
}

std::optional<FileVersion> SetupServices::Version(const std::string& path) {
    return ReadFileVersion(path);
}

bool SetupServices::CallServerEntry(const std::string& library, const char* entryPoint) {
    const auto loaded = DynamicLibrary::Load(library);
    if (!loaded) {
        return false;
    }
    using EntryPoint = long (*)();
    auto entry = reinterpret_cast<EntryPoint>(loaded->Symbol(entryPoint));
    if (entry == nullptr) {
        return false;
    }
    entry();
    return true;
}

bool SetupServices::StartProgram(const std::string& program, const std::string& parameter,
                                 std::chrono::milliseconds wait) {
#if !defined(_WIN32)
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Hidden: nothing of it reaches Setup's terminal.
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

bool SetupServices::PrepareShortcuts() {
    return true;
}

void SetupServices::NotifyInstalled(const std::string& destination, const std::string& group) {
    // Desktop menus watch their folders themselves; the suite's programs reload their
    // settings on this broadcast.
    (void)destination;
    (void)group;
    IpcBroadcast({"WM_WININICHANGE", {}}, std::chrono::milliseconds(200));
}

}  // namespace qm::setup
