// Patch item transfer blocks (clipboard, drops, messages from other processes): whatever the
// reader accepts lies inside the block, and building its records again gives a block that
// reads back to the same records and is no longer than the input.
#include <cstring>
#include <string>
#include <vector>

#include "suite/transfer/transfer_block.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

struct Record {
    std::string path;
    std::vector<std::uint8_t> data;
    bool operator==(const Record&) const = default;
};

std::vector<Record> Copy(const std::vector<suite::TransferRecord>& records) {
    std::vector<Record> copy;
    for (const suite::TransferRecord& record : records) {
        copy.push_back({std::string(record.path),
                        std::vector<std::uint8_t>(record.data.begin(), record.data.end())});
    }
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the input's length, so a read past its end is caught by the sanitizer.
    const std::vector<std::uint8_t> block(data, data + size);
    const suite::ParsedTransferBlock read = suite::ParseTransferBlock(block);
    if (read.status != suite::TransferBlockStatus::Ok) {
        if (!read.records.empty()) {
            QMFUZZ_FAIL();
        }
        return 0;
    }
    std::vector<suite::TransferItem> items;
    for (const suite::TransferRecord& record : read.records) {
        if (record.path.size() > suite::kTransferMaxPathLength ||
            std::memchr(record.path.data(), 0, record.path.size()) != nullptr) {
            QMFUZZ_FAIL();
        }
        qmfuzz::Checksum(record.data.data(), record.data.size());
        items.push_back({record.path, record.data});
    }
    const suite::BuiltTransferBlock built = suite::BuildTransferBlock(items);
    if (built.status != suite::TransferBlockStatus::Ok || built.bytes.size() > size) {
        QMFUZZ_FAIL();
    }
    const suite::ParsedTransferBlock again = suite::ParseTransferBlock(built.bytes);
    if (again.status != suite::TransferBlockStatus::Ok ||
        Copy(again.records) != Copy(read.records)) {
        QMFUZZ_FAIL();
    }
    return 0;
}
