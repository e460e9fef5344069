// The patch item transfer block: the one form in which Fastfile items travel between the
// suite's programs, by message, on the clipboard and in drag and drop.
//
//   "RFFL", record count N (u32 LE), then N records without padding:
//   a 260-byte path field (NUL-terminated, NUL-padded), data size S (u32 LE), S data bytes.
//
// A block arrives from other processes, the clipboard and drops, so the reader trusts none of
// its numbers: every record is checked against the block's length before any is handed out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace suite {

inline constexpr std::size_t kTransferHeaderBytes = 8;
inline constexpr std::size_t kTransferPathField = 260;
inline constexpr std::size_t kTransferMaxPathLength = kTransferPathField - 1;
inline constexpr std::size_t kTransferRecordHeaderBytes = kTransferPathField + 4;

// The type under which a drag or the clipboard carries a transfer block; both ends of every
// drag between the suite's programs must name the same one.
inline constexpr char kTransferMimeType[] = "application/x-quillmark-fastfile-patch-items";

enum class TransferBlockStatus {
    Ok,
    // Reading.
    TooShort,           // fewer than the 8 bytes of magic and count
    WrongMagic,         // does not begin with "RFFL"
    CountPastEnd,       // the record count claims more records than the block can hold
    PathNotTerminated,  // a path field holds no NUL within its 260 bytes
    SizePastEnd,        // a record's data size runs past the end of the block
    // Building.
    PathTooLong,     // a path of more than 259 characters would not fit its field
    PathHasNul,      // a NUL inside a path would cut it short on the reading side
    DataTooLarge,    // a record's data does not fit a 32-bit size
    TooManyRecords,  // more records than a 32-bit count, or a block larger than memory allows
};

// One line naming what is wrong, for diagnostics ("ok" for Ok).
const char* DescribeTransferBlockStatus(TransferBlockStatus status);

// An item to send: its full path inside its archive and its bytes (not owned).
struct TransferItem {
    std::string_view path;
    std::span<const std::uint8_t> data;
};

struct BuiltTransferBlock {
    TransferBlockStatus status = TransferBlockStatus::Ok;
    std::vector<std::uint8_t> bytes;  // empty unless status is Ok
};

// Lays the items out in order. Refuses, with nothing built, an item the block cannot carry
// faithfully: a path that would have to be cut, or data beyond a 32-bit size. Zero items make
// a valid block of 8 bytes; whether to send one is the caller's choice.
BuiltTransferBlock BuildTransferBlock(std::span<const TransferItem> items);

// A record of a received block; both views point into the block, which must outlive them.
struct TransferRecord {
    std::string_view path;  // up to the field's first NUL; may be empty
    std::span<const std::uint8_t> data;
};

struct ParsedTransferBlock {
    TransferBlockStatus status = TransferBlockStatus::Ok;
    std::vector<TransferRecord> records;  // empty unless status is Ok
};

// Checks the whole block and returns its records, or none with the first fault found; a
// receiver therefore never acts on the front half of a damaged block. Bytes after the last
// record are ignored: a shared memory block may be handed over larger than was asked for.
ParsedTransferBlock ParseTransferBlock(std::span<const std::uint8_t> block);

}  // namespace suite
