#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/export.h"

namespace qm {

// What tells one state of a file on disk from another: which file it is (device and file
// number), its size and its change times. A program that read a file keeps this, so that a
// later save can see whether someone else wrote the file in the meantime.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool operator==(const FileIdentity&) const = default;
    // Where the platform gives no file numbers (Windows), no two states are known to be
    // the same file.
    bool SameFile(const FileIdentity& other) const {
        return inode != 0 && device == other.device && inode == other.inode;
    }
};

// The identity of an open file, or of the file a path names (links followed); nothing when
// it cannot be had (the path names nothing).
QM_PLATFORM_API std::optional<FileIdentity> IdentityOf(std::FILE* file);
QM_PLATFORM_API std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace qm
