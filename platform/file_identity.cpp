#include "platform/file_identity.h"

#include <sys/stat.h>
#include <sys/types.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace qm {

namespace {

#if defined(_WIN32)
using Status = struct _stat64;

FileIdentity FromStatus(const Status& status) {
    FileIdentity identity;
    // The C runtime gives no file numbers, and its device is a drive number from a name but
    // not from an open file: neither can tell one state from another, so both stay 0.
    identity.size = static_cast<std::uint64_t>(status.st_size);
    identity.modifiedNs = static_cast<std::int64_t>(status.st_mtime) * 1000000000;
    identity.changedNs = static_cast<std::int64_t>(status.st_ctime) * 1000000000;
    return identity;
}
#else
using Status = struct stat;

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileIdentity FromStatus(const Status& status) {
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(status.st_dev);
    identity.inode = static_cast<std::uint64_t>(status.st_ino);
    identity.size = static_cast<std::uint64_t>(status.st_size);
    identity.modifiedNs = Nanoseconds(status.st_mtim);
    identity.changedNs = Nanoseconds(status.st_ctim);
    return identity;
}
#endif

}  // namespace

std::optional<FileIdentity> IdentityOf(std::FILE* file) {
    Status status{};
#if defined(_WIN32)
    if (file == nullptr || _fstat64(_fileno(file), &status) != 0) {
        return std::nullopt;
    }
#else
    if (file == nullptr || fstat(fileno(file), &status) != 0) {
        return std::nullopt;
    }
#endif
    return FromStatus(status);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    Status status{};
#if defined(_WIN32)
    if (_stat64(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
#else
    if (stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
#endif
    return FromStatus(status);
}

}  // namespace qm
