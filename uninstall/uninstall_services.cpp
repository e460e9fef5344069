#include "uninstall/uninstall_services.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/dynamic_library.h"
#include "platform/ipc.h"
#include "suite/program_start.h"
#include "uninstall/pending_deletions.h"

#if !defined(_WIN32)
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace qm::uninstall {

namespace fs = std::filesystem;

UninstallServices::~UninstallServices() = default;

std::optional<long> UninstallServices::CallUnregisterServer(const std::string& library) {
    const auto loaded = DynamicLibrary::Load(library);
    if (!loaded) {
        return std::nullopt;
    }
    using EntryPoint = long (*)();
    auto entry = reinterpret_cast<EntryPoint>(loaded->Symbol("DllUnregisterServer"));
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry();
}

bool UninstallServices::StartProgram(const std::string& program, const std::string& parameter,
                                     std::chrono::milliseconds wait) {
    return suite::StartHiddenProgram(program, parameter, wait);
}

bool UninstallServices::DeleteFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

bool UninstallServices::RemoveEmptyFolder(const std::string& path) {
    std::error_code ec;
    if (!fs::is_empty(path, ec) || ec) {
        return false;
    }
    return fs::remove(path, ec) && !ec;
}

void UninstallServices::ScheduleDeletion(const std::string& path) {
    scheduled_.push_back(path);
}

bool UninstallServices::SaveScheduled() {
    return AddPendingDeletions(scheduled_);
}

void UninstallServices::NotifyRemoved() {
    IpcBroadcast({"WM_WININICHANGE", {}}, std::chrono::milliseconds(200));
}

bool UninstallServices::Restart() {
    // Test runs and trials of the unattended removal must never take the machine down.
    if (const char* value = std::getenv("QM_NO_RESTART"); value && *value && *value != '0') {
        std::fprintf(stderr, "uninstall: restart skipped (QM_NO_RESTART is set)\n");
        return true;
    }
#if !defined(_WIN32)
    // The session's service manager restarts the machine for the logged-in user.
    std::string program = "systemctl";
    std::string verb = "reboot";
    char* argv[] = {program.data(), verb.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#else
    return false;
#endif
}

}  // namespace qm::uninstall
