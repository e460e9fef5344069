// How patch items read in the main list: size, label, kind and sort key.
#include <gtest/gtest.h>

#include "patchbench/engine/item_display.h"
#include "tests/patchbench/editor_fixture.h"

namespace {

using namespace patchbench;
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

}  // namespace
