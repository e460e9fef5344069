#include "platform/file_attributes.h"

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace qm {

#if defined(_WIN32)

std::uint32_t ReadFileAttributes(std::string_view path) {
    return GetFileAttributesA(std::string(path).c_str());
}

bool WriteFileAttributes(std::string_view path, std::uint32_t attributes) {
    return SetFileAttributesA(std::string(path).c_str(), attributes) != 0;
}

#else

std::uint32_t ReadFileAttributes(std::string_view path) {
    const std::string file(path);
    struct stat status {};
    if (stat(file.c_str(), &status) != 0) {
        return kInvalidFileAttributes;
    }
    std::uint32_t attributes =
        S_ISDIR(status.st_mode) ? kFileAttributeDirectory : kFileAttributeArchive;
    // What keeps a file from being rewritten here is its owner's missing write permission.
    if ((status.st_mode & S_IWUSR) == 0) {
        attributes |= kFileAttributeReadOnly;
    }
    const std::size_t slash = file.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart < file.size() && file[nameStart] == '.') {
        attributes |= kFileAttributeHidden;
    }
    return attributes;
}

bool WriteFileAttributes(std::string_view path, std::uint32_t attributes) {
    const std::string file(path);
    struct stat status {};
    if (stat(file.c_str(), &status) != 0) {
        return false;
    }
    mode_t mode = status.st_mode & 07777;
    if ((attributes & kFileAttributeReadOnly) != 0) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else {
        mode |= S_IWUSR;
    }
    return mode == (status.st_mode & 07777) || chmod(file.c_str(), mode) == 0;
}

#endif

}  // namespace qm
