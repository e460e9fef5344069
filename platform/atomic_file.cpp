#include "platform/atomic_file.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm {

namespace {

// A link stays a link: the file it points to is the one replaced, even when that file does
// not exist yet (a dangling link gets its destination created). Chains are followed; a loop
// leaves the name as given, and the rename then replaces the last link.
std::string ResolveTarget(const std::string& target) {
    namespace fs = std::filesystem;
    fs::path path(target);
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(path, ec)) {
            return path.string();
        }
        const fs::path destination = fs::read_symlink(path, ec);
        if (ec) {
            return path.string();
        }
        path = destination.is_absolute() ? destination : path.parent_path() / destination;
    }
    return target;
}

#if !defined(_WIN32)
// A stable name for the backup of one file: the same path always gets the same copy, so
// backups do not pile up, and two files of one name in different folders get two copies.
std::string BackupName(const std::string& path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : path) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof(hex), "%016llx", static_cast<unsigned long long>(hash));
    return std::filesystem::path(path).filename().string() + "." + hex + ".bak";
}

constexpr std::string_view kTemporaryPrefix = ".qmtmp-";

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& path) {
    const int fd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

void LockExclusive(int fd) {
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

// A short temporary name of this process, independent of the target's name, so that a
// target whose name is close to the file system's limit can still be saved.
std::string TemporaryName(const std::string& directory) {
    static unsigned counter = 0;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned salt = static_cast<unsigned>(ticks) ^ (++counter * 2654435761u);
    char name[64];
    std::snprintf(name, sizeof(name), "%.*s%ld-%08x", static_cast<int>(kTemporaryPrefix.size()),
                  kTemporaryPrefix.data(), static_cast<long>(getpid()), salt);
    return directory + "/" + name;
}

// Temporaries left by saves of ours that were killed: named ".qmtmp-PID-..." by a process
// that no longer runs.
void RemoveStaleTemporaries(const std::string& directory) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, kTemporaryPrefix.size(), kTemporaryPrefix) != 0) {
            continue;
        }
        const long pid = std::strtol(name.c_str() + kTemporaryPrefix.size(), nullptr, 10);
        std::error_code typeError;
        if (pid > 0 && pid != getpid() && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH &&
            entry.is_regular_file(typeError)) {
            unlink(entry.path().c_str());
        }
    }
}

bool CopyAll(int from, int to) {
    char chunk[65536];
    off_t position = 0;
    for (;;) {
        const ssize_t got = pread(from, chunk, sizeof(chunk), position);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return ftruncate(to, position) == 0 && fsync(to) == 0;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                pwrite(to, chunk + done, static_cast<std::size_t>(got - done), position + done);
            if (put < 0 && errno != EINTR) {
                return false;
            }
            done += put > 0 ? put : 0;
        }
        position += got;
    }
}
#endif

}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
    Discard();
}

std::string AtomicFile::BackupFolder() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        base = ".local/share";
    }
    return base + "/quillmark/save-backups";
}

bool AtomicFile::SetBufferSize(std::size_t bytes) {
    if (stream_ == nullptr || bytes == 0) {
        return false;
    }
    buffer_ = std::make_unique_for_overwrite<char[]>(bytes);
    return std::setvbuf(stream_, buffer_.get(), _IOFBF, bytes) == 0;
}

bool AtomicFile::Fail(int error) {
    Discard();
    error_ = error != 0 ? error : EIO;
    errno = error_;
    return false;
}

#if defined(_WIN32)

bool AtomicFile::Open() {
    Discard();
    error_ = 0;
    committed_.reset();
    resolved_ = ResolveTarget(target_);
    if (_access(resolved_.c_str(), 0) == 0 && _access(resolved_.c_str(), 2) != 0) {
        return Fail(EACCES);
    }
    if (expected_ && !CheckUnchanged(resolved_)) {
        return false;
    }
    temporary_ = resolved_ + ".qmtmp";
    stream_ = std::fopen(temporary_.c_str(), "wb");
    if (stream_ == nullptr) {
        const int error = errno;
        temporary_.clear();
        return Fail(error);
    }
    return true;
}

bool AtomicFile::CheckUnchanged(const std::string& target) {
    const auto now = IdentityOf(target);
    if (expected_ && now && !(*now == *expected_)) {
        return Fail(kErrorChangedOnDisk);
    }
    return true;
}

bool AtomicFile::Commit() {
    if (stream_ == nullptr) {
        return Fail(EINVAL);
    }
    bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_) && _commit(_fileno(stream_)) == 0;
    const int error = errno;
    ok = std::fclose(stream_) == 0 && ok;
    stream_ = nullptr;
    if (!ok) {
        return Fail(error);
    }
    if (!CheckUnchanged(resolved_)) {
        return false;
    }
    if (MoveFileExA(temporary_.c_str(), resolved_.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        return Fail(EACCES);
    }
    temporary_.clear();
    committed_ = IdentityOf(resolved_);
    return true;
}

void AtomicFile::Discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
    buffer_.reset();
}

#else

bool AtomicFile::Open() {
    Discard();
    error_ = 0;
    committed_.reset();
    backup_.clear();
    resolved_ = ResolveTarget(target_);
    // Opening the target for writing (without changing it) is the test of the right to write
    // it; the open file also carries the lock that orders concurrent saves.
    struct stat status {};
    targetFd_ = open(resolved_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (targetFd_ >= 0) {
        if (fstat(targetFd_, &status) != 0) {
            return Fail(errno);
        }
        if (!S_ISREG(status.st_mode)) {
            return Fail(EINVAL);
        }
    } else if (errno != ENOENT) {
        return Fail(errno);
    }
    if (!CheckUnchanged(resolved_)) {
        return false;
    }
    const bool exists = targetFd_ >= 0;
    const mode_t mode = exists ? (status.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (!OpenTemporary(resolved_, mode)) {
        const int error = error_;
        if (exists && (error == EACCES || error == EPERM)) {
            return OpenInPlace(resolved_);
        }
        return Fail(error);
    }
    const int fd = fileno(stream_);
    if (exists) {
        // A super-user saving someone else's file leaves it theirs. Others cannot give a
        // file away; for them this changes nothing or fails harmlessly.
        if (fchown(fd, status.st_uid, status.st_gid) != 0) {
            error_ = 0;
        }
    }
    fchmod(fd, mode);
    return true;
}

bool AtomicFile::OpenTemporary(const std::string& target, unsigned mode) {
    const std::string directory = DirectoryOf(target);
    int fd = -1;
    if (access("/proc/self/fd", X_OK) == 0) {
        fd = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode & 0600);
        if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            error_ = errno;
            return false;
        }
        unnamed_ = fd >= 0;
    }
    if (fd < 0) {
        RemoveStaleTemporaries(directory);
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            temporary_ = TemporaryName(directory);
            fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST) {
                break;
            }
        }
        if (fd < 0) {
            error_ = errno;
            temporary_.clear();
            return false;
        }
    }
    stream_ = fdopen(fd, "wb");
    if (stream_ == nullptr) {
        error_ = errno;
        close(fd);
        if (!temporary_.empty()) {
            unlink(temporary_.c_str());
            temporary_.clear();
        }
        return false;
    }
    return true;
}

// The folder takes no new file, but the file itself may be written: keep a copy of its old
// bytes where the user keeps their data, then write the file itself.
bool AtomicFile::OpenInPlace(const std::string& target) {
    LockExclusive(targetFd_);
    if (!CheckUnchanged(target)) {
        return false;
    }
    const int reader = open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (reader < 0) {
        return Fail(EACCES);
    }
    std::error_code ec;
    const std::string folder = BackupFolder();
    std::filesystem::create_directories(folder, ec);
    const std::string backup = folder + "/" + BackupName(target);
    const int copy = open(backup.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool kept = copy >= 0 && CopyAll(reader, copy);
    const int error = kept ? 0 : (errno != 0 ? errno : EACCES);
    close(reader);
    if (copy >= 0) {
        close(copy);
    }
    if (!kept) {
        return Fail(error);
    }
    backup_ = backup;
    const int fd = dup(targetFd_);
    stream_ = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (stream_ == nullptr) {
        if (fd >= 0) {
            close(fd);
        }
        return Fail(errno);
    }
    inPlace_ = true;
    return true;
}

// Whether the target is still the file that was read. The check that counts runs in
// Commit() under the lock of the file being replaced, so that of two saves of one file the
// second sees the first one's file.
bool AtomicFile::CheckUnchanged(const std::string& target) {
    if (!expected_) {
        return true;
    }
    struct stat status {};
    if (targetFd_ >= 0) {
        if (fstat(targetFd_, &status) != 0) {
            return Fail(errno);
        }
        const auto opened = IdentityOf(target);
        FileIdentity locked;
        locked.device = static_cast<std::uint64_t>(status.st_dev);
        locked.inode = static_cast<std::uint64_t>(status.st_ino);
        // The name now names another file: someone saved it since it was opened here.
        if (!opened || !opened->SameFile(locked) || !(*opened == *expected_)) {
            return Fail(kErrorChangedOnDisk);
        }
        return true;
    }
    // It did not exist when opened; it must not have been created since.
    return IdentityOf(target) ? Fail(kErrorChangedOnDisk) : true;
}

bool AtomicFile::Commit() {
    if (stream_ == nullptr) {
        return Fail(EINVAL);
    }
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) {
        return Fail(errno != 0 ? errno : EIO);
    }
    return inPlace_ ? CommitInPlace() : CommitRename();
}

bool AtomicFile::CommitRename() {
    const int fd = fileno(stream_);
    if (fsync(fd) != 0) {
        return Fail(errno);
    }
    if (targetFd_ >= 0) {
        LockExclusive(targetFd_);
    }
    if (!CheckUnchanged(resolved_)) {
        return false;
    }
    if (unnamed_) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        const std::string directory = DirectoryOf(resolved_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            temporary_ = TemporaryName(directory);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary_.c_str(), AT_SYMLINK_FOLLOW) ==
                0) {
                break;
            }
            const int error = errno;
            temporary_.clear();
            if (error != EEXIST) {
                return Fail(error);
            }
        }
        if (temporary_.empty()) {
            return Fail(EEXIST);
        }
    }
    if (std::rename(temporary_.c_str(), resolved_.c_str()) != 0) {
        return Fail(errno);
    }
    temporary_.clear();
    committed_ = IdentityOf(stream_);
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    buffer_.reset();
    SyncDirectory(resolved_);
    CloseTarget();
    if (!closed) {
        committed_.reset();
        error_ = EIO;
        errno = EIO;
        return false;
    }
    return true;
}

bool AtomicFile::CommitInPlace() {
    const int fd = fileno(stream_);
    const off_t end = ftello(stream_);
    if (end < 0 || ftruncate(fd, end) != 0 || fsync(fd) != 0) {
        return Fail(errno);
    }
    committed_ = IdentityOf(stream_);
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    buffer_.reset();
    inPlace_ = false;
    CloseTarget();
    if (!closed) {
        committed_.reset();
        error_ = EIO;
        errno = EIO;
        return false;
    }
    return true;
}

// A failed in-place save gets the old bytes back from the copy kept before it began.
void AtomicFile::RestoreInPlace() {
    const int copy = open(backup_.c_str(), O_RDONLY | O_CLOEXEC);
    if (copy >= 0) {
        CopyAll(copy, targetFd_);
        close(copy);
    }
}

void AtomicFile::CloseTarget() {
    if (targetFd_ >= 0) {
        close(targetFd_);
        targetFd_ = -1;
    }
}

void AtomicFile::Discard() {
    const int saved = errno;
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (inPlace_) {
        RestoreInPlace();
        inPlace_ = false;
    }
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        temporary_.clear();
    }
    unnamed_ = false;
    buffer_.reset();
    CloseTarget();
    errno = saved;
}

#endif

}  // namespace qm
