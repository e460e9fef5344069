#include "texbench/browser/item_preview.h"

#include <gtest/gtest.h>

#include "suite/sound_description.h"
#include "tests/texbench/browser/browser_fixture.h"

namespace texbench {
namespace {

using browser_test::Bytes;

// An item record around bytes the test keeps alive.
FFLITEM Item(Bytes& data) {
    FFLITEM item{};
    item.lpData = data.data();
    item.dwSize = static_cast<std::uint32_t>(data.size());
    return item;
}

TEST(ItemPreview, TextureDescribedBeforeOrAfterDecodingByFixBpp) {
    struct Case {
        bool transparent;
        int fixBpp;
        const char* info;
    };
    // Four colours are stored in two bit planes and decoded to a 4-bit picture.
    const Case cases[] = {
        {false, 1, "40 * 30 pixel, 4 bpp"},
        {true, 1, "40 * 30 pixel, 4 bpp (transparent)"},
        {true, 5, "40 * 30 pixel, 4 bpp (transparent)"},
        {false, 0, "40 * 30 pixel, 2 bpp"},
        {true, -1, "40 * 30 pixel, 2 bpp (transparent)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.info);
        Bytes data = browser_test::Texture(40, 30, c.transparent);
        ASSERT_FALSE(data.empty());
        FFLITEM item = Item(data);
        const ItemPreview preview = PreviewItem(&item, c.fixBpp);
        EXPECT_EQ(preview.infoLine, c.info);
        ASSERT_FALSE(preview.picture.Empty());
        EXPECT_EQ(preview.picture.Get()->header.wWidth, 40);
        EXPECT_EQ(preview.picture.Get()->header.wHeight, 30);
    }
}

TEST(ItemPreview, SoundsAreDescribedOnlyWithTheFormatChunkInPlace) {
    Bytes wav = browser_test::Wav(22050, 1, 16, 0.5);
    FFLITEM item = Item(wav);
    const ItemPreview preview = PreviewItem(&item, 1);
    EXPECT_EQ(preview.infoLine, suite::DescribeSoundItem(wav.data(), wav.size()));
    EXPECT_NE(preview.infoLine, "[no selection]");
    EXPECT_TRUE(preview.picture.Empty());

    Bytes listFirst = wav;  // a WAV whose first chunk is not "fmt "
    std::copy_n("LIST", 4, listFirst.begin() + 12);
    item = Item(listFirst);
    EXPECT_EQ(PreviewItem(&item, 1).infoLine, "[no selection]");
}

TEST(ItemPreview, NothingToShowKeepsNoSelection) {
    Bytes broken = {'L', 'I', 'S', 'T', 0, 0, 0, 4, 'I', 'L', 'B', 'M', 'j', 'u', 'n', 'k'};
    Bytes other = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'};
    FFLITEM empty{};
    FFLITEM brokenItem = Item(broken);
    FFLITEM otherItem = Item(other);
    const FFLITEM* items[] = {nullptr, &empty, &brokenItem, &otherItem};
    for (const FFLITEM* item : items) {
        for (int fixBpp : {0, 1}) {
            const ItemPreview preview = PreviewItem(item, fixBpp);
            EXPECT_EQ(preview.infoLine, "[no selection]");
            EXPECT_TRUE(preview.picture.Empty());
        }
    }
}

}  // namespace
}  // namespace texbench
