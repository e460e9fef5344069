#include "suite/item_kind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace suite {
namespace {

using namespace std::string_literals;

std::vector<unsigned char> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

struct KindCase {
    const char* name;
    std::string data;
    ItemKind kind;
};

class KindOfDataTest : public testing::TestWithParam<KindCase> {};

TEST_P(KindOfDataTest, TellsKindFromTagsAtTheirPlaces) {
    const auto bytes = Bytes(GetParam().data);
    EXPECT_EQ(KindOfData(bytes.data(), static_cast<std::uint32_t>(bytes.size())), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KindOfDataTest,
    testing::Values(KindCase{"Texture", "LIST\x10\0\0\0ILBMrest"s, ItemKind::Image},
                    KindCase{"TextureExactly12", "LIST\0\0\0\0ILBM"s, ItemKind::Image},
                    KindCase{"Sound", "RIFF\x24\0\0\0WAVEfmt "s, ItemKind::Sound},
                    KindCase{"SoundExactly12", "RIFF\0\0\0\0WAVE"s, ItemKind::Sound},
                    KindCase{"ElevenBytes", "RIFF\0\0\0\0WAV"s, ItemKind::Other},
                    KindCase{"Empty", "", ItemKind::Other},
                    KindCase{"ListWithWave", "LIST\0\0\0\0WAVE"s, ItemKind::Other},
                    KindCase{"RiffWithIlbm", "RIFF\0\0\0\0ILBM"s, ItemKind::Other},
                    KindCase{"TagsSwapped", "ILBM\0\0\0\0LIST"s, ItemKind::Other},
                    KindCase{"TagOneByteLate", "\0LIST\0\0\0ILBM"s, ItemKind::Other},
                    KindCase{"SecondTagAt4", "LISTILBM\0\0\0\0"s, ItemKind::Other},
                    KindCase{"LowerCaseTags", "riff\0\0\0\0wave"s, ItemKind::Other},
                    KindCase{"Form", "FORM\0\0\0\0ILBM"s, ItemKind::Other}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST(KindOfData, NullDataIsOtherWhateverTheSize) {
    EXPECT_EQ(KindOfData(nullptr, 100), ItemKind::Other);
}

TEST(KindOfData, SizeLimitsWhatIsRead) {
    // The bytes are there in memory, but the size says the item is shorter than the tags.
    const auto bytes = Bytes("LIST\0\0\0\0ILBM"s);
    EXPECT_EQ(KindOfData(bytes.data(), 11), ItemKind::Other);
}

FFLITEM MakeItem(std::vector<unsigned char>& data) {
    FFLITEM item{};
    std::strcpy(item.szPath, "graphics\\test.rim");
    item.lpData = data.empty() ? nullptr : data.data();
    item.dwSize = static_cast<std::uint32_t>(data.size());
    return item;
}

TEST(KindOfItem, ReadsTheRecordsData) {
    auto texture = Bytes("LIST\0\0\0\0ILBM"s);
    auto sound = Bytes("RIFF\0\0\0\0WAVE"s);
    std::vector<unsigned char> none;
    FFLITEM textureItem = MakeItem(texture);
    FFLITEM soundItem = MakeItem(sound);
    FFLITEM emptyItem = MakeItem(none);
    EXPECT_EQ(KindOfItem(&textureItem), ItemKind::Image);
    EXPECT_EQ(KindOfItem(&soundItem), ItemKind::Sound);
    EXPECT_EQ(KindOfItem(&emptyItem), ItemKind::Other);
    EXPECT_EQ(KindOfItem(nullptr), ItemKind::Other);
}

TEST(KindOfArchive, GoesByTheFirstItemOnly) {
    auto sound = Bytes("RIFF\0\0\0\0WAVE"s);
    auto texture = Bytes("LIST\0\0\0\0ILBM"s);
    FFLITEM second = MakeItem(texture);
    FFLITEM first = MakeItem(sound);
    first.lpNext = &second;
    FFLARCHIVE archive{};
    archive.dwCount = 2;
    archive.lpFirst = &first;
    EXPECT_EQ(KindOfArchive(&archive), ItemKind::Sound);

    archive.lpFirst = &second;
    archive.dwCount = 1;
    EXPECT_EQ(KindOfArchive(&archive), ItemKind::Image);
}

TEST(KindOfArchive, WithoutItemsOrArchiveIsOther) {
    FFLARCHIVE empty{};
    EXPECT_EQ(KindOfArchive(&empty), ItemKind::Other);
    EXPECT_EQ(KindOfArchive(nullptr), ItemKind::Other);
}

}  // namespace
}  // namespace suite
