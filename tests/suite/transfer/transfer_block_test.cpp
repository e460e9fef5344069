#include "suite/transfer/transfer_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

using suite::BuildTransferBlock;
using suite::ParseTransferBlock;
using suite::TransferBlockStatus;
using suite::TransferItem;
using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// A block laid out by hand, as another program might write it: each record's path field is
// filled from `field` (up to 260 bytes, the rest zero) and carries the claimed size, followed
// by `data`.
struct HandRecord {
    std::string field;
    std::uint32_t claimedSize;
    Bytes data;
};

Bytes HandBlock(std::uint32_t count, const std::vector<HandRecord>& records) {
    Bytes out = {'R', 'F', 'F', 'L'};
    PutU32(out, count);
    for (const HandRecord& record : records) {
        Bytes field(suite::kTransferPathField, 0);
        std::copy_n(record.field.begin(), std::min(record.field.size(), field.size()),
                    field.begin());
        out.insert(out.end(), field.begin(), field.end());
        PutU32(out, record.claimedSize);
        out.insert(out.end(), record.data.begin(), record.data.end());
    }
    return out;
}

// Owns the paths and data the items of a round trip point into.
struct ItemSet {
    std::vector<std::string> paths;
    std::vector<Bytes> data;

    std::vector<TransferItem> Items() const {
        std::vector<TransferItem> items;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            items.push_back({paths[i], data[i]});
        }
        return items;
    }
};

ItemSet MakeItems(std::size_t count, std::size_t pathLength, std::size_t dataSize) {
    ItemSet set;
    for (std::size_t i = 0; i < count; ++i) {
        std::string path = "graphics\\item" + std::to_string(i) + ".rim";
        if (pathLength != 0) {
            path.resize(pathLength, 'p');
        }
        set.paths.push_back(path);
        Bytes bytes(dataSize == SIZE_MAX ? i * 3 % 50 : dataSize);
        for (std::size_t b = 0; b < bytes.size(); ++b) {
            bytes[b] = static_cast<std::uint8_t>(i * 31 + b);
        }
        set.data.push_back(bytes);
    }
    return set;
}

struct RoundTrip {
    const char* name;
    std::size_t count;
    std::size_t pathLength;  // 0: a short path of its own per item
    std::size_t dataSize;    // SIZE_MAX: a different size per item, some of them 0
};

// Test names carry the case's name, not a dump of its bytes.
void PrintTo(const RoundTrip& c, std::ostream* os) {
    *os << c.name;
}

class TransferRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(TransferRoundTrip, ReadsBackWhatWasBuilt) {
    const RoundTrip& c = GetParam();
    const ItemSet set = MakeItems(c.count, c.pathLength, c.dataSize);
    const std::vector<TransferItem> items = set.Items();

    const suite::BuiltTransferBlock built = BuildTransferBlock(items);
    ASSERT_EQ(built.status, TransferBlockStatus::Ok);
    std::size_t expectedSize = 8;
    for (const Bytes& data : set.data) {
        expectedSize += 264 + data.size();
    }
    EXPECT_EQ(built.bytes.size(), expectedSize);

    const suite::ParsedTransferBlock read = ParseTransferBlock(built.bytes);
    ASSERT_EQ(read.status, TransferBlockStatus::Ok);
    ASSERT_EQ(read.records.size(), c.count);
    for (std::size_t i = 0; i < c.count; ++i) {
        EXPECT_EQ(read.records[i].path, set.paths[i]) << "record " << i;
        EXPECT_EQ(Bytes(read.records[i].data.begin(), read.records[i].data.end()), set.data[i])
            << "record " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, TransferRoundTrip,
    testing::Values(RoundTrip{"NoRecords", 0, 0, 5}, RoundTrip{"OneRecord", 1, 0, 17},
                    RoundTrip{"ThreeHundredRecords", 300, 0, SIZE_MAX},
                    RoundTrip{"LongestPaths", 3, 259, 9}, RoundTrip{"ZeroLengthData", 4, 0, 0}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return info.param.name; });

TEST(TransferBlock, LaysOutFieldsLittleEndianWithPaddedPath) {
    const std::string path = "a\\b";
    const Bytes data = {0xAA, 0xBB};
    const TransferItem items[] = {{path, data}};
    const Bytes block = BuildTransferBlock(items).bytes;
    ASSERT_EQ(block.size(), 8u + 264u + 2u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 8), (Bytes{'R', 'F', 'F', 'L', 1, 0, 0, 0}));
    EXPECT_EQ(Bytes(block.begin() + 8, block.begin() + 11), (Bytes{'a', '\\', 'b'}));
    EXPECT_TRUE(std::all_of(block.begin() + 11, block.begin() + 268, [](auto b) { return b == 0; }))
        << "path field must be NUL-padded";
    EXPECT_EQ(Bytes(block.begin() + 268, block.end()), (Bytes{2, 0, 0, 0, 0xAA, 0xBB}));
}

TEST(TransferBlock, BuildRefusesItemsItCannotCarry) {
    const std::string tooLong(260, 'x');
    const std::string withNul("a\0b", 3);
    const Bytes data = {1};
    struct Case {
        std::string_view path;
        TransferBlockStatus expected;
    };
    for (const Case& c : {Case{tooLong, TransferBlockStatus::PathTooLong},
                          Case{withNul, TransferBlockStatus::PathHasNul}}) {
        const TransferItem items[] = {{"fine", data}, {c.path, data}};
        const suite::BuiltTransferBlock built = BuildTransferBlock(items);
        EXPECT_EQ(built.status, c.expected);
        EXPECT_TRUE(built.bytes.empty());
    }
}

TEST(TransferBlock, ReadsBlockWrittenByAnotherProgram) {
    // Garbage after a path's terminator is padding the reader must not take as part of the
    // path; an empty path is a record the receiver decides about; the shared memory block
    // may be handed over larger than the records need.
    Bytes block = HandBlock(3, {{std::string("tex\\wall", 9) + "junk", 3, {1, 2, 3}},
                                {"", 0, {}},
                                {"snd\\x.wav", 1, {9}}});
    block.insert(block.end(), 24, 0xCD);
    const suite::ParsedTransferBlock read = ParseTransferBlock(block);
    ASSERT_EQ(read.status, TransferBlockStatus::Ok);
    ASSERT_EQ(read.records.size(), 3u);
    EXPECT_EQ(read.records[0].path, "tex\\wall");
    EXPECT_EQ(Bytes(read.records[0].data.begin(), read.records[0].data.end()), (Bytes{1, 2, 3}));
    EXPECT_EQ(read.records[1].path, "");
    EXPECT_TRUE(read.records[1].data.empty());
    EXPECT_EQ(read.records[2].path, "snd\\x.wav");
    EXPECT_EQ(read.records[2].data.size(), 1u);
}

struct Damaged {
    const char* name;
    Bytes block;
    TransferBlockStatus expected;
};

void PrintTo(const Damaged& c, std::ostream* os) {
    *os << c.name;
}

class DamagedTransferBlock : public testing::TestWithParam<Damaged> {};

TEST_P(DamagedTransferBlock, IsRefusedWhole) {
    const suite::ParsedTransferBlock read = ParseTransferBlock(GetParam().block);
    EXPECT_EQ(read.status, GetParam().expected) << suite::DescribeTransferBlockStatus(read.status);
    EXPECT_TRUE(read.records.empty()) << "no record of a damaged block may be handed out";
}

Bytes Truncated(Bytes block, std::size_t bytes) {
    block.resize(block.size() - bytes);
    return block;
}

const HandRecord kGood = {"graphics\\a.rim", 4, {1, 2, 3, 4}};

INSTANTIATE_TEST_SUITE_P(
    Blocks, DamagedTransferBlock,
    testing::Values(
        Damaged{"Empty", {}, TransferBlockStatus::TooShort},
        Damaged{"SevenBytes", {'R', 'F', 'F', 'L', 1, 0, 0}, TransferBlockStatus::TooShort},
        Damaged{"WrongMagic", {'R', 'F', 'F', 'X', 0, 0, 0, 0}, TransferBlockStatus::WrongMagic},
        Damaged{"CountOneMore", HandBlock(2, {kGood}), TransferBlockStatus::CountPastEnd},
        Damaged{"CountHuge", HandBlock(0xFFFFFFFFu, {kGood}), TransferBlockStatus::CountPastEnd},
        // The count passes the first check only because it takes the first record's data
        // for the second record's header.
        Damaged{"CountPastEndAfterData", HandBlock(2, {{"a", 264, Bytes(264, 7)}}),
                TransferBlockStatus::CountPastEnd},
        Damaged{"RecordHeaderCutShort", Truncated(HandBlock(1, {{"a", 0, {}}}), 1),
                TransferBlockStatus::CountPastEnd},
        Damaged{"PathNotTerminated", HandBlock(1, {{std::string(260, 'p'), 0, {}}}),
                TransferBlockStatus::PathNotTerminated},
        Damaged{"SecondPathNotTerminated", HandBlock(2, {kGood, {std::string(260, 'p'), 0, {}}}),
                TransferBlockStatus::PathNotTerminated},
        Damaged{"SizeOneTooMany", HandBlock(1, {{"a", 5, {1, 2, 3, 4}}}),
                TransferBlockStatus::SizePastEnd},
        Damaged{"SizeHuge", HandBlock(1, {{"a", 0xFFFFFFFFu, {1, 2, 3, 4}}}),
                TransferBlockStatus::SizePastEnd},
        Damaged{"LastSizePastEnd", HandBlock(2, {kGood, {"b", 0x80000000u, {5}}}),
                TransferBlockStatus::SizePastEnd}),
    [](const testing::TestParamInfo<Damaged>& info) { return info.param.name; });

}  // namespace
