#include "patchbench/engine/transfer_block.h"

#include <cstring>

namespace patchbench {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kPathField = 260;
constexpr std::size_t kRecordHeaderSize = kPathField + 4;

std::uint32_t ReadU32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The path up to its terminator; nothing when the field has none, since a sender that
// filled all 260 bytes did not write a block of this format.
std::optional<std::string> PathField(const unsigned char* field) {
    const void* nul = std::memchr(field, 0, kPathField);
    if (nul == nullptr) {
        return std::nullopt;
    }
    const auto length = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - field);
    return std::string(reinterpret_cast<const char*>(field), length);
}

}  // namespace

std::optional<std::vector<TransferRecord>> ReadTransferBlock(std::span<const unsigned char> block) {
    if (block.size() < kHeaderSize || std::memcmp(block.data(), "RFFL", 4) != 0) {
        return std::nullopt;
    }
    const std::uint32_t count = ReadU32(block.data() + 4);
    std::vector<TransferRecord> records;
    std::size_t offset = kHeaderSize;
    for (std::uint32_t index = 0; index < count; ++index) {
        if (block.size() - offset < kRecordHeaderSize) {
            return std::nullopt;
        }
        const unsigned char* header = block.data() + offset;
        auto path = PathField(header);
        if (!path) {
            return std::nullopt;
        }
        const std::uint32_t size = ReadU32(header + kPathField);
        offset += kRecordHeaderSize;
        if (block.size() - offset < size) {
            return std::nullopt;
        }
        records.push_back({std::move(*path), block.subspan(offset, size)});
        offset += size;
    }
    return records;
}

}  // namespace patchbench
