#include "texbench/browser/main_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace texbench {
namespace {

std::vector<std::string> Texts(CommandPlace place, ListMenuKind kind = ListMenuKind::None) {
    std::vector<std::string> texts;
    for (const Command* command : CommandsIn(place, kind)) {
        texts.push_back(MenuText(*command));
    }
    return texts;
}

// What each rule allows, whether or not its command is built yet.
bool Allowed(CommandId id, const CommandContext& context) {
    const Command* command = FindCommand(id);
    return command != nullptr && command->rule(context);
}

TEST(MainCommands, FolderMenuRules) {
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
        CommandContext context;
        context.nodeExists = c.node;
        context.nodeHasChildren = c.children;
        context.databaseMode = c.database;
        EXPECT_TRUE(Allowed(CommandId::FolderInsert, context));
        EXPECT_TRUE(Allowed(CommandId::FolderRefresh, context));
        EXPECT_EQ(Allowed(CommandId::FolderRename, context), c.rename);
        EXPECT_EQ(Allowed(CommandId::FolderDelete, context), c.remove);
        EXPECT_EQ(Allowed(CommandId::FolderProperties, context), c.properties);
        // The folder commands are all built: what the rule allows is enabled.
        for (const Command* command : CommandsIn(CommandPlace::FolderMenu)) {
            EXPECT_EQ(IsEnabled(*command, context), command->rule(context)) << command->name;
        }
    }
}

TEST(MainCommands, ListMenuRulesBySelectionAndClipboard) {
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
        CommandContext context;
        context.selectedRows = c.rows;
        context.clipboardHoldsItems = c.clipboard;
        EXPECT_EQ(Allowed(CommandId::AddToPatch, context), c.many);
        EXPECT_EQ(Allowed(CommandId::ItemDelete, context), c.many);
        EXPECT_EQ(Allowed(CommandId::ItemCopy, context), c.many);
        EXPECT_EQ(Allowed(CommandId::ItemRename, context), c.one);
        EXPECT_EQ(Allowed(CommandId::ItemProperties, context), c.one);
        EXPECT_EQ(Allowed(CommandId::ItemPaste, context), c.paste);
        EXPECT_TRUE(Allowed(CommandId::ItemRefresh, context));
    }
}

// The patch tools and the buttons need nothing; Add to Patch and Copy want a selected row.
TEST(MainCommands, PatchCommandsAndCopyFollowTheirRules) {
    CommandContext everything;
    everything.nodeExists = true;
    everything.archiveOpen = true;
    everything.archiveHasItems = true;
    everything.selectedRows = 1;
    everything.clipboardHoldsItems = true;
    for (CommandId id : {CommandId::About, CommandId::Open, CommandId::Close, CommandId::Patch,
                         CommandId::PatchNew, CommandId::PatchOpen, CommandId::PatchInstall}) {
        EXPECT_TRUE(IsEnabled(*FindCommand(id), CommandContext{}));
    }
    // Add to Patch and Copy need a selected row; the Patch button brings up PatchBench
    // without one.
    for (CommandId id : {CommandId::AddToPatch, CommandId::ItemCopy}) {
        EXPECT_TRUE(IsEnabled(*FindCommand(id), everything));
        EXPECT_FALSE(IsEnabled(*FindCommand(id), CommandContext{}));
    }
}

// Rename wants exactly one row, Delete any number; both only with the list's rows selected.
TEST(MainCommands, RenameAndDeleteFollowTheSelectedRows) {
    const struct {
        int rows;
        bool rename;
        bool remove;
    } cases[] = {{0, false, false}, {1, true, true}, {2, false, true}};
    for (const auto& c : cases) {
        CommandContext context;
        context.archiveOpen = true;
        context.archiveHasItems = true;
        context.selectedRows = c.rows;
        EXPECT_EQ(IsEnabled(*FindCommand(CommandId::ItemRename), context), c.rename) << c.rows;
        EXPECT_EQ(IsEnabled(*FindCommand(CommandId::ItemDelete), context), c.remove) << c.rows;
    }
    // Export needs items, not a selection: without one it offers "All Files".
    CommandContext empty;
    empty.archiveOpen = true;
    EXPECT_FALSE(IsEnabled(*FindCommand(CommandId::Export), empty));
    empty.archiveHasItems = true;
    EXPECT_TRUE(IsEnabled(*FindCommand(CommandId::Export), empty));
}

TEST(MainCommands, MenusListTheirEntriesInOrder) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Texts(CommandPlace::FolderMenu), (V{"Insert\tIns", "Rename\tF2", "Delete\tDel",
                                                  "Refresh\tF5", "Properties...\tReturn"}));
    const V shared = {"Add to Patch\tIns", "Rename\tF2", "Delete\tDel", "Copy", "Paste",
                      "Refresh\tF5"};
    V texture = shared, sound = shared;
    texture.push_back("Properties...\tReturn");
    sound.push_back("Play\tReturn");
    EXPECT_EQ(Texts(CommandPlace::ListMenu, ListMenuKind::Texture), texture);
    EXPECT_EQ(Texts(CommandPlace::ListMenu, ListMenuKind::Sound), sound);
    EXPECT_EQ(Texts(CommandPlace::ListMenu, ListMenuKind::File), shared);
    EXPECT_EQ(Texts(CommandPlace::OpenMenu), (V{"Database", "Fastfile..."}));
    EXPECT_EQ(Texts(CommandPlace::PatchMenu), (V{"New", "Open...", "Install..."}));
    EXPECT_EQ(Texts(CommandPlace::Button),
              (V{"&Import...", "&Export...", "&About...", "&Open", "&Patch", "&Close"}));

    CommandContext database;
    database.databaseMode = true;
    const auto open = CommandsIn(CommandPlace::OpenMenu);
    EXPECT_TRUE(open[0]->checked(database));
    EXPECT_FALSE(open[1]->checked(database));
    EXPECT_TRUE(open[1]->checked(CommandContext{}));
}

TEST(MainCommands, KeysRunTheCommandsOfTheirPlace) {
    struct Case {
        CommandPlace place;
        CommandKey key;
        const Command* expected;
    };
    const Case cases[] = {
        {CommandPlace::FolderMenu, CommandKey::F5, FindCommand(CommandId::FolderRefresh)},
        {CommandPlace::FolderMenu, CommandKey::Return, FindCommand(CommandId::FolderProperties)},
        {CommandPlace::FolderMenu, CommandKey::Insert, FindCommand(CommandId::FolderInsert)},
        {CommandPlace::FolderMenu, CommandKey::Delete, FindCommand(CommandId::FolderDelete)},
        {CommandPlace::FolderMenu, CommandKey::F2, FindCommand(CommandId::FolderRename)},
        {CommandPlace::ListMenu, CommandKey::F5, FindCommand(CommandId::ItemRefresh)},
        {CommandPlace::ListMenu, CommandKey::Return, FindCommand(CommandId::ItemProperties)},
        {CommandPlace::ListMenu, CommandKey::Insert, FindCommand(CommandId::AddToPatch)},
        {CommandPlace::ListMenu, CommandKey::Delete, FindCommand(CommandId::ItemDelete)},
        {CommandPlace::ListMenu, CommandKey::F2, FindCommand(CommandId::ItemRename)},
        {CommandPlace::ListMenu, CommandKey::None, nullptr},
        {CommandPlace::Button, CommandKey::F5, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(c.place) << " key " << static_cast<int>(c.key));
        EXPECT_EQ(CommandForKey(c.place, c.key), c.expected);
    }
}

// Enter in the list is the entry of the menu the archive shows: Play in a sound archive,
// Properties elsewhere; both want exactly one row.
TEST(MainCommands, EnterIsPlayInASoundArchive) {
    CommandContext oneRow;
    oneRow.archiveOpen = true;
    oneRow.selectedRows = 1;
    const Command* play =
        CommandForKey(CommandPlace::ListMenu, CommandKey::Return, ListMenuKind::Sound);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(MenuText(*play), "Play\tReturn");
    EXPECT_TRUE(IsEnabled(*play, oneRow));
    CommandContext twoRows = oneRow;
    twoRows.selectedRows = 2;
    EXPECT_FALSE(IsEnabled(*play, twoRows));
    for (ListMenuKind kind : {ListMenuKind::Texture, ListMenuKind::File, ListMenuKind::None}) {
        const Command* properties = CommandForKey(CommandPlace::ListMenu, CommandKey::Return, kind);
        ASSERT_NE(properties, nullptr);
        EXPECT_EQ(MenuText(*properties), "Properties...\tReturn");
        EXPECT_TRUE(IsEnabled(*properties, oneRow));
        EXPECT_FALSE(IsEnabled(*properties, twoRows));
    }
    // Other keys are the same whatever the menu.
    EXPECT_EQ(CommandForKey(CommandPlace::ListMenu, CommandKey::F5, ListMenuKind::Sound),
              FindCommand(CommandId::ItemRefresh));
}

// The menu follows the first item, whatever the others are.
TEST(MainCommands, ListMenuFollowsTheFirstItemOfTheArchive) {
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
