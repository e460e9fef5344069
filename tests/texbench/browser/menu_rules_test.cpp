#include "texbench/browser/menu_rules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace texbench {
namespace {

TEST(MenuRules, FolderMenu) {
    struct Case {
        bool node, children, database;
        bool rename, remove, properties;
    };
    const Case cases[] = {
        {false, false, true, false, false, false},
        {true, true, true, false, false, false},
        {true, false, true, true, true, true},
        {true, false, false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.node << c.children << c.database);
        const FolderMenuState state = FolderMenuRules(c.node, c.children, c.database);
        EXPECT_TRUE(state.insert);
        EXPECT_TRUE(state.refresh);
        EXPECT_EQ(state.rename, c.rename);
        EXPECT_EQ(state.remove, c.remove);
        EXPECT_EQ(state.properties, c.properties);
    }
}

TEST(MenuRules, ListMenuBySelectionAndClipboard) {
    struct Case {
        int rows;
        bool clipboard;
        bool many, one, paste;  // many: commands for any selection; one: for exactly one row
    };
    const Case cases[] = {
        {0, false, false, false, false},
        {0, true, false, false, true},
        {1, false, true, true, false},
        {3, true, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, clipboard " << c.clipboard);
        const ListMenuState state = ListMenuRules(c.rows, c.clipboard);
        EXPECT_EQ(state.addToPatch, c.many);
        EXPECT_EQ(state.remove, c.many);
        EXPECT_EQ(state.copy, c.many);
        EXPECT_EQ(state.rename, c.one);
        EXPECT_EQ(state.propertiesOrPlay, c.one);
        EXPECT_EQ(state.paste, c.paste);
        EXPECT_TRUE(state.refresh);
    }
}

// The menu follows the first item, whatever the others are.
TEST(MenuRules, ListMenuFollowsTheFirstItemOfTheArchive) {
    auto item = [](const char* data) {
        FFLITEM record{};
        record.lpData = reinterpret_cast<unsigned char*>(const_cast<char*>(data));
        record.dwSize = static_cast<std::uint32_t>(std::strlen(data));
        return record;
    };
    FFLITEM texture = item("LIST\0\0\0\0ILBM");
    texture.dwSize = 12;
    FFLITEM sound = item("RIFF\0\0\0\0WAVE");
    sound.dwSize = 12;
    FFLITEM other = item("hello world!");
    FFLARCHIVE archive{};

    EXPECT_EQ(ListMenuFor(nullptr), ListMenuKind::None);
    EXPECT_EQ(ListMenuFor(&archive), ListMenuKind::File);  // no items
    archive.lpFirst = &texture;
    texture.lpNext = &sound;
    EXPECT_EQ(ListMenuFor(&archive), ListMenuKind::Texture);
    archive.lpFirst = &sound;
    sound.lpNext = &texture;
    texture.lpNext = nullptr;
    EXPECT_EQ(ListMenuFor(&archive), ListMenuKind::Sound);
    archive.lpFirst = &other;
    other.lpNext = &texture;
    EXPECT_EQ(ListMenuFor(&archive), ListMenuKind::File);
}

}  // namespace
}  // namespace texbench
