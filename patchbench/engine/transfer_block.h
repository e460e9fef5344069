// Reading a patch item transfer block: "RFFL", a record count, then per record a 260-byte
// item path, a 32-bit data size and the data, all little-endian. Blocks come from other
// processes and from drops, so every size is checked against the bytes that are there.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace patchbench {

struct TransferRecord {
    std::string itemPath;                 // at most 259 characters
    std::span<const unsigned char> data;  // points into the block
};

// The records in block order, or nothing when the block is shorter than its header, does not
// begin with "RFFL", a path field holds no terminator, or any record (header or data) reaches
// past the end of the block: a damaged block is refused as a whole, so that no half of it is
// added. Bytes after the last record are ignored.
std::optional<std::vector<TransferRecord>> ReadTransferBlock(std::span<const unsigned char> block);

}  // namespace patchbench
