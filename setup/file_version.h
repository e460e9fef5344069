#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The version resource of a Windows program or library (PE file): the fixed file version and
// the first language and code page of its translation list. Other files have none, and
// Setup's copy rule then goes by their times.
namespace qm::setup {

struct FileVersion {
    std::uint64_t version = 0;      // most significant half first: 2.1.0.5 = 0x0002000100000005
    std::uint32_t translation = 0;  // language in the low half, code page in the high half
};

std::optional<FileVersion> ParseFileVersion(std::span<const std::uint8_t> file);
std::optional<FileVersion> ReadFileVersion(const std::string& path);

}  // namespace qm::setup
