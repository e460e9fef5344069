// How patch items read in the main list (size, label, kind, sort key) and how a transfer block
// from another process is read.
#include <gtest/gtest.h>

#include "patchbench/engine/item_display.h"
#include "patchbench/engine/transfer_block.h"
#include "tests/patchbench/editor_fixture.h"

namespace {

using namespace patchbench;
using editor_test::Block;
using editor_test::Bytes;

TEST(PatchBenchSizeText, WholeTenthsAndThousandsSeparator) {
    const struct {
        std::uint32_t size;
        const char* text;
    } cases[] = {
        {0, "0 Bytes"},
        {999, "999 Bytes"},
        {1000, "1.0 KByte"},
        {1099, "1.0 KByte"},  // tenths are cut, never rounded
        {20480, "20.4 KByte"},
        {999999, "999.9 KByte"},
        {1000000, "1,000.0 KByte"},
        {1002345, "1,002.3 KByte"},  // the thousands keep their leading zeros
        {1234567, "1,234.5 KByte"},
        {4294967295u, "4294,967.2 KByte"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SizeText(c.size), c.text) << c.size;
    }
}

TEST(PatchBenchRowLabel, NameElseLastPathPartElseUntitled) {
    const struct {
        const char* name;
        const char* paths;
        const char* label;
    } cases[] = {
        {"My Sky", "graphics\\a\\sky.rim", "My Sky"},
        {"", "sound\\a\\b.wav|sound\\c\\d.wav", "d.wav"},
        {"", "nobackslash.rim", "nobackslash.rim"},
        {"", "graphics\\folder\\", "untitled"},
        {"", "", "untitled"},
        {nullptr, nullptr, "untitled"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RowLabel(c.name, c.paths), c.label) << (c.paths ? c.paths : "(null)");
    }
}

TEST(PatchBenchItemKind, FromTheFirstTwelveBytes) {
    const Bytes texture = editor_test::Texture(12);
    const Bytes sound = editor_test::Sound(16);
    Bytes waveWithoutFormat = editor_test::Sound(16);
    waveWithoutFormat[12] = 'd';
    const Bytes shortTexture(texture.begin(), texture.begin() + 11);
    const Bytes other = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'};
    const struct {
        const Bytes* data;
        PatchItemKind kind;
        const char* text;
        int icon;
        const char* sortKey;
    } cases[] = {
        {&texture, PatchItemKind::Image, "RIM Image", 4, "RIM"},
        {&sound, PatchItemKind::Sound, "PCM Wave", 5, "PCM"},
        // Listed as a wave, but sorted with the unknown ones: its format chunk is not first.
        {&waveWithoutFormat, PatchItemKind::Sound, "PCM Wave", 5, "(unknown)"},
        {&shortTexture, PatchItemKind::Unknown, "(unknown)", 6, "(unknown)"},
        {&other, PatchItemKind::Unknown, "(unknown)", 6, "(unknown)"},
    };
    for (const auto& c : cases) {
        const auto size = static_cast<std::uint32_t>(c.data->size());
        const PatchItemKind kind = KindOfPatchData(c.data->data(), size);
        EXPECT_EQ(kind, c.kind);
        EXPECT_STREQ(KindText(kind), c.text);
        EXPECT_EQ(KindIcon(kind), c.icon);
        EXPECT_EQ(KindSortKey(c.data->data(), size), c.sortKey);
    }
    EXPECT_EQ(KindOfPatchData(nullptr, 100), PatchItemKind::Unknown);
}

TEST(PatchBenchTransferBlock, RecordsInOrderWithTheirData) {
    const Bytes block = Block({{"graphics\\a.rim", {1, 2, 3}}, {"sound\\b.wav", {}}});
    const auto records = ReadTransferBlock(block);
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), 2u);
    EXPECT_EQ((*records)[0].itemPath, "graphics\\a.rim");
    EXPECT_EQ(Bytes((*records)[0].data.begin(), (*records)[0].data.end()), (Bytes{1, 2, 3}));
    EXPECT_EQ((*records)[1].itemPath, "sound\\b.wav");
    EXPECT_TRUE((*records)[1].data.empty());

    const auto none = ReadTransferBlock(Block({}));
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->empty());
}

TEST(PatchBenchTransferBlock, PathsOfAllLengthsAndTrailingBytes) {
    Bytes block = Block({{std::string(259, 'x'), {7}}});
    block.push_back(0xee);  // a shared block may be larger than its records
    const auto records = ReadTransferBlock(block);
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), 1u);
    EXPECT_EQ((*records)[0].itemPath, std::string(259, 'x'));
    // All 260 bytes of the field used: no terminator, not a block of ours.
    EXPECT_FALSE(ReadTransferBlock(Block({{std::string(260, 'x'), {7}}})).has_value());
}

TEST(PatchBenchTransferBlock, BlocksThatLieAboutTheirSizesAreRefusedWhole) {
    const Bytes good = Block({{"a", {1, 2, 3, 4}}, {"b", {5, 6}}});
    Bytes wrongMagic = good;
    wrongMagic[0] = 'X';
    Bytes countTooHigh = good;
    countTooHigh[4] = 3;
    Bytes hugeCount = Block({});
    hugeCount[7] = 0xff;
    Bytes dataTooLong = good;
    dataTooLong[8 + 260] = 200;  // the first record claims 200 bytes
    Bytes hugeData = good;
    for (int i = 0; i < 4; ++i) {
        hugeData[8 + 260 + i] = 0xff;
    }
    const Bytes cutInHeader(good.begin(), good.begin() + 8 + 100);
    const Bytes cutInData(good.begin(), good.end() - 1);
    const Bytes headerOnly = {'R', 'F', 'F', 'L', 0, 0, 0};
    const struct {
        const char* what;
        const Bytes* block;
    } cases[] = {
        {"wrong magic", &wrongMagic},    {"count beyond the records", &countTooHigh},
        {"huge count", &hugeCount},      {"data beyond the block", &dataTooLong},
        {"size near 4 GB", &hugeData},   {"cut in a record header", &cutInHeader},
        {"cut in the data", &cutInData}, {"shorter than the header", &headerOnly},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadTransferBlock(*c.block).has_value()) << c.what;
    }
    EXPECT_FALSE(ReadTransferBlock({}).has_value());
}

}  // namespace
