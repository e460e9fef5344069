#include "setup/file_copy.h"

#include <cerrno>
#include <filesystem>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm::setup {

namespace {

#if !defined(_WIN32)
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }

  private:
    int fd_;
};

bool CopyByHand(int from, int to) {
    std::vector<char> buffer(1 << 18);
    while (true) {
        const ssize_t got = read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return false;
            }
            done += put;
        }
    }
}

bool CopyContent(int from, int to) {
#if defined(__linux__)
    // The kernel copies without a trip through user space, and may share blocks.
    for (bool first = true;; first = false) {
        const ssize_t copied = copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0) {
            return true;
        }
        if (copied > 0) {
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (first &&
            (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            break;  // not offered for this pair of files
        }
        return false;
    }
#endif
    return CopyByHand(from, to);
}
#endif

}  // namespace

bool PathExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() !=
               std::filesystem::file_type::not_found &&
           !ec;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return size;
}

std::optional<std::int64_t> LastWriteTime(const std::string& path) {
#if !defined(_WIN32)
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
#else
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
#endif
}

CopyResult CopyNewFile(const std::string& source, const std::string& destination) {
#if !defined(_WIN32)
    Descriptor from(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (from.Get() < 0) {
        return errno == ENOENT || errno == ENOTDIR ? CopyResult::SourceMissing : CopyResult::Failed;
    }
    struct stat info {};
    if (fstat(from.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return CopyResult::Failed;
    }
    Descriptor to(
        open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777));
    if (to.Get() < 0) {
        return errno == EEXIST ? CopyResult::DestinationExists : CopyResult::Failed;
    }
    const timespec times[2] = {info.st_atim, info.st_mtim};
    const bool copied = CopyContent(from.Get(), to.Get()) && futimens(to.Get(), times) == 0;
    if (!to.Close() || !copied) {
        unlink(destination.c_str());
        return CopyResult::Failed;
    }
    return CopyResult::Copied;
#else
    std::error_code ec;
    if (!std::filesystem::exists(source, ec)) {
        return CopyResult::SourceMissing;
    }
    if (std::filesystem::exists(destination, ec)) {
        return CopyResult::DestinationExists;
    }
    if (!std::filesystem::copy_file(source, destination, std::filesystem::copy_options::none, ec)) {
        std::filesystem::remove(destination, ec);
        return CopyResult::Failed;
    }
    return CopyResult::Copied;
#endif
}

}  // namespace qm::setup
