#include "platform/atomic_file.h"

#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
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
std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& path) {
    const int fd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
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
#endif

}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
    Discard();
}

#if defined(_WIN32)

bool AtomicFile::Open() {
    Discard();
    const std::string target = ResolveTarget(target_);
    temporary_ = target + ".qmtmp";
    stream_ = std::fopen(temporary_.c_str(), "wb");
    if (stream_ == nullptr) {
        temporary_.clear();
        return false;
    }
    return true;
}

bool AtomicFile::Commit() {
    if (stream_ == nullptr) {
        return false;
    }
    bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_) && _commit(_fileno(stream_)) == 0;
    ok = std::fclose(stream_) == 0 && ok;
    stream_ = nullptr;
    const std::string target = ResolveTarget(target_);
    ok = ok && MoveFileExA(temporary_.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        std::remove(temporary_.c_str());
    }
    temporary_.clear();
    return ok;
}

#else

bool AtomicFile::Open() {
    Discard();
    const std::string target = ResolveTarget(target_);
    temporary_ = target + ".qmtmp-XXXXXX";
    const int fd = mkstemp(temporary_.data());
    if (fd < 0) {
        temporary_.clear();
        return false;
    }
    // The new file gets the old one's permissions, or those a newly created file would get.
    struct stat status {};
    const mode_t mode =
        stat(target.c_str(), &status) == 0 ? (status.st_mode & 07777) : (0666 & ~CurrentUmask());
    fchmod(fd, mode);
    stream_ = fdopen(fd, "wb");
    if (stream_ == nullptr) {
        close(fd);
        unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    return true;
}

bool AtomicFile::Commit() {
    if (stream_ == nullptr) {
        return false;
    }
    bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_) && fsync(fileno(stream_)) == 0;
    ok = std::fclose(stream_) == 0 && ok;
    stream_ = nullptr;
    const std::string target = ResolveTarget(target_);
    ok = ok && std::rename(temporary_.c_str(), target.c_str()) == 0;
    if (ok) {
        SyncDirectory(target);
    } else {
        unlink(temporary_.c_str());
    }
    temporary_.clear();
    return ok;
}

#endif

void AtomicFile::Discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace qm
