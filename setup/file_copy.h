#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qm::setup {

enum class CopyResult { Copied, DestinationExists, SourceMissing, Failed };

// Copies a file to a destination that must not exist yet, with the source's permissions and
// last-write time (the time rule of a later installation compares them). A copy that fails
// part-way removes what it wrote, so no cut-off file stays behind.
CopyResult CopyNewFile(const std::string& source, const std::string& destination);

bool PathExists(const std::string& path);
std::optional<std::uint64_t> FileSize(const std::string& path);
// Last-write time in nanoseconds since the epoch.
std::optional<std::int64_t> LastWriteTime(const std::string& path);

}  // namespace qm::setup
