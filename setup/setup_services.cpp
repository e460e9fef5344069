#include "setup/setup_services.h"

#include "platform/dynamic_library.h"
#include "platform/ipc.h"
#include "suite/program_start.h"

#if !defined(_WIN32)
#include <sys/statvfs.h>
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
    return suite::StartHiddenProgram(program, parameter, wait);
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
