#include "tools/fftool/file_arguments.h"

#include "platform/atomic_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace fftool {

namespace {

bool IsDotRelative(const std::string& name) {
    return name.rfind("./", 0) == 0 || name.rfind("../", 0) == 0;
}

// What kind of thing a path names, for messages; "" for a regular file.
std::string NotRegularKind(const struct stat& status) {
    if (S_ISDIR(status.st_mode)) {
        return "a directory";
    }
    if (S_ISFIFO(status.st_mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
        return "a device";
    }
    if (!S_ISREG(status.st_mode)) {
        return "not a regular file";
    }
    return "";
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string ArchiveFileArgument(const std::string& argument) {
    if (argument.empty() || std::filesystem::path(argument).is_absolute() ||
        IsDotRelative(argument)) {
        return argument;
    }
    return "./" + argument;
}

std::string ItemPathArgument(const std::string& argument) {
    std::string path = argument;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

bool IsRegularSource(const std::string& path, std::string* why) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (const std::string kind = NotRegularKind(status); !kind.empty()) {
        *why = "it is " + kind + ", not a regular file";
        return false;
    }
    return true;
}

std::optional<std::vector<char>> ReadSourceFile(const std::string& path, std::string* why) {
    struct stat status {};
    if (!IsRegularSource(path, why) || stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(status.st_size) > UINT32_MAX) {
        *why = "it is larger than an item can be (4 GiB)";
        return std::nullopt;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        *why = std::strerror(errno);
        return std::nullopt;
    }
    std::vector<char> bytes;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file.get())) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > UINT32_MAX) {
            *why = "it is larger than an item can be (4 GiB)";
            return std::nullopt;
        }
    }
    if (std::ferror(file.get())) {
        *why = std::strerror(errno);
        return std::nullopt;
    }
    return bytes;
}

std::string WriteFailureReason(int error) {
    switch (error) {
        case qm::kErrorChangedOnDisk:
            return "it changed on disk since it was read (another program saved it); nothing "
                   "was written, run the command again";
        case ENOSPC:
#if defined(EDQUOT)
        case EDQUOT:
#endif
            return "the disk is full";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EROFS:
            return "the file system is read-only";
        case ENAMETOOLONG:
            return "the name is too long (a path holds at most 259 characters)";
        case EINVAL:
            return "the content cannot be stored in this file (see the library's diagnostic)";
        case 0:
            return "the library refused to save it";
        default:
            return std::strerror(error);
    }
}

std::string ReadFailureMessage(const std::string& path, const std::string& what) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            return "cannot read " + what + " " + path + ": no such file";
        }
        return "cannot read " + what + " " + path + ": " + std::strerror(errno);
    }
    if (const std::string kind = NotRegularKind(status); !kind.empty()) {
        return "cannot read " + what + " " + path + ": it is " + kind;
    }
    if (path.size() >= 260) {
        return "cannot read " + what + " " + path + ": " + WriteFailureReason(ENAMETOOLONG);
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return "cannot read " + what + " " + path + ": " + std::strerror(errno);
    }
    return what + " " + path + " is damaged or not a " + what;
}

}  // namespace fftool
