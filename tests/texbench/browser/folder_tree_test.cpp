#include "texbench/browser/folder_tree.h"

#include <gtest/gtest.h>

namespace texbench {
namespace {

std::vector<std::string> Texts(const std::vector<std::unique_ptr<FolderNode>>& nodes) {
    std::vector<std::string> texts;
    for (const auto& node : nodes) {
        texts.push_back(node->Text());
    }
    return texts;
}

TEST(FolderTree, PathsMergeWithoutRegardToCaseAndKeepInsertionOrder) {
    FolderTree tree;
    FolderNode* hud = tree.FindOrInsert("graphics\\Hud");
    FolderNode* menus = tree.FindOrInsert("graphics\\menus\\Main");
    FolderNode* again = tree.FindOrInsert("GRAPHICS\\HUD");
    tree.FindOrInsert("levels\\alpha");

    ASSERT_NE(hud, nullptr);
    EXPECT_EQ(again, hud);
    EXPECT_EQ(Texts(tree.Roots()), (std::vector<std::string>{"graphics", "levels"}));
    EXPECT_EQ(Texts(tree.FirstRoot()->Children()), (std::vector<std::string>{"Hud", "menus"}));
    EXPECT_EQ(menus->Path(), "graphics\\menus\\Main");
    EXPECT_EQ(menus->Parent()->Parent(), tree.FirstRoot());
}

TEST(FolderTree, RootsNamedAfterTheGameFoldersGetTheirIcons) {
    struct Case {
        const char* path;
        int rootIcon;
        int rootSelectedIcon;
    };
    for (const Case& c : {Case{"Graphics\\x", kIconGraphicsRoot, kIconGraphicsRoot},
                          Case{"SOUND\\x", kIconSoundRoot, kIconSoundRoot},
                          Case{"levels\\x", kIconFolder, kIconFolderSelected}}) {
        FolderTree tree;
        FolderNode* leaf = tree.FindOrInsert(c.path);
        SCOPED_TRACE(c.path);
        EXPECT_EQ(tree.FirstRoot()->Icon(), c.rootIcon);
        EXPECT_EQ(tree.FirstRoot()->SelectedIcon(), c.rootSelectedIcon);
        EXPECT_EQ(leaf->Icon(), kIconFolder);
        EXPECT_EQ(leaf->SelectedIcon(), kIconFolderSelected);
    }
    // Only roots: a folder called "sound" deeper down is an ordinary folder.
    FolderTree tree;
    EXPECT_EQ(tree.FindOrInsert("graphics\\sound")->Icon(), kIconFolder);
}

TEST(FolderTree, FindCreatesNothing) {
    FolderTree tree;
    FolderNode* node = tree.FindOrInsert("graphics\\menus");
    EXPECT_EQ(tree.Find("GRAPHICS\\Menus"), node);
    EXPECT_EQ(tree.Find("graphics\\hud"), nullptr);
    EXPECT_EQ(tree.Find("sound"), nullptr);
    EXPECT_EQ(tree.Roots().size(), 1u);
    EXPECT_EQ(tree.FirstRoot()->Children().size(), 1u);
}

TEST(FolderTree, EmptyComponentsMakeNoNamelessNodes) {
    FolderTree tree;
    FolderNode* node = tree.FindOrInsert("graphics\\\\menus\\");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Path(), "graphics\\menus");
    EXPECT_EQ(tree.FindOrInsert("\\"), nullptr);
    EXPECT_EQ(tree.Roots().size(), 1u);
}

}  // namespace
}  // namespace texbench
