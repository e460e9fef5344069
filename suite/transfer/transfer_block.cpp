#include "suite/transfer/transfer_block.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace suite {

namespace {

constexpr std::uint8_t kMagic[4] = {'R', 'F', 'F', 'L'};

std::uint32_t ReadU32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}

std::uint8_t* PutU32(std::uint8_t* out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        *out++ = static_cast<std::uint8_t>(value >> shift);
    }
    return out;
}

// Checks every item and sums the block's size, without building anything.
TransferBlockStatus CheckItems(std::span<const TransferItem> items, std::size_t& blockSize) {
    constexpr std::size_t kLimit = std::numeric_limits<std::size_t>::max();
    if (items.size() > std::numeric_limits<std::uint32_t>::max()) {
        return TransferBlockStatus::TooManyRecords;
    }
    blockSize = kTransferHeaderBytes;
    for (const TransferItem& item : items) {
        if (item.path.size() > kTransferMaxPathLength) {
            return TransferBlockStatus::PathTooLong;
        }
        if (item.path.find('\0') != std::string_view::npos) {
            return TransferBlockStatus::PathHasNul;
        }
        if (item.data.size() > std::numeric_limits<std::uint32_t>::max()) {
            return TransferBlockStatus::DataTooLarge;
        }
        const std::size_t recordSize = kTransferRecordHeaderBytes + item.data.size();
        if (recordSize > kLimit - blockSize) {
            return TransferBlockStatus::TooManyRecords;
        }
        blockSize += recordSize;
    }
    return TransferBlockStatus::Ok;
}

}  // namespace

const char* DescribeTransferBlockStatus(TransferBlockStatus status) {
    switch (status) {
        case TransferBlockStatus::Ok:
            return "ok";
        case TransferBlockStatus::TooShort:
            return "the block is shorter than its 8-byte header";
        case TransferBlockStatus::WrongMagic:
            return "the block does not begin with \"RFFL\"";
        case TransferBlockStatus::CountPastEnd:
            return "the record count claims more records than the block holds";
        case TransferBlockStatus::PathNotTerminated:
            return "a record's path is not terminated within its 260 bytes";
        case TransferBlockStatus::SizePastEnd:
            return "a record's data size runs past the end of the block";
        case TransferBlockStatus::PathTooLong:
            return "an item path is longer than 259 characters";
        case TransferBlockStatus::PathHasNul:
            return "an item path contains a NUL character";
        case TransferBlockStatus::DataTooLarge:
            return "an item's data is larger than 4 GiB";
        case TransferBlockStatus::TooManyRecords:
            return "too many or too large items for one block";
    }
    return "unknown transfer block status";
}

BuiltTransferBlock BuildTransferBlock(std::span<const TransferItem> items) {
    BuiltTransferBlock built;
    std::size_t blockSize = 0;
    built.status = CheckItems(items, blockSize);
    if (built.status != TransferBlockStatus::Ok) {
        return built;
    }
    // Sized once and filled in place: the path fields' padding is then the zero fill.
    built.bytes.assign(blockSize, 0);
    std::uint8_t* out = built.bytes.data();
    out = std::copy(std::begin(kMagic), std::end(kMagic), out);
    out = PutU32(out, static_cast<std::uint32_t>(items.size()));
    for (const TransferItem& item : items) {
        std::copy(item.path.begin(), item.path.end(), out);
        out = PutU32(out + kTransferPathField, static_cast<std::uint32_t>(item.data.size()));
        out = std::copy(item.data.begin(), item.data.end(), out);
    }
    return built;
}

ParsedTransferBlock ParseTransferBlock(std::span<const std::uint8_t> block) {
    ParsedTransferBlock read;
    if (block.size() < kTransferHeaderBytes) {
        read.status = TransferBlockStatus::TooShort;
        return read;
    }
    if (!std::equal(std::begin(kMagic), std::end(kMagic), block.begin())) {
        read.status = TransferBlockStatus::WrongMagic;
        return read;
    }
    const std::uint32_t count = ReadU32(block.data() + 4);
    std::size_t position = kTransferHeaderBytes;
    // Every record needs at least its path and size, so a count beyond that is refused before
    // anything is reserved for it.
    if (count > (block.size() - position) / kTransferRecordHeaderBytes) {
        read.status = TransferBlockStatus::CountPastEnd;
        return read;
    }
    std::vector<TransferRecord> records;
    records.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (block.size() - position < kTransferRecordHeaderBytes) {
            read.status = TransferBlockStatus::CountPastEnd;
            return read;
        }
        const char* field = reinterpret_cast<const char*>(block.data() + position);
        const void* terminator = std::memchr(field, 0, kTransferPathField);
        if (terminator == nullptr) {
            read.status = TransferBlockStatus::PathNotTerminated;
            return read;
        }
        const std::size_t pathLength = static_cast<const char*>(terminator) - field;
        const std::uint32_t size = ReadU32(block.data() + position + kTransferPathField);
        position += kTransferRecordHeaderBytes;
        if (size > block.size() - position) {
            read.status = TransferBlockStatus::SizePastEnd;
            return read;
        }
        records.push_back({std::string_view(field, pathLength), block.subspan(position, size)});
        position += size;
    }
    read.records = std::move(records);
    return read;
}

}  // namespace suite
