// The skin menu's entries from the skin files of a directory, and skin files themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "texbench/skins/skin_file.h"
#include "texbench/skins/skin_menu.h"

namespace {

using namespace qm_test;
using texbench::FindSkins;

std::string Skin(const std::string& name, const std::string& signature = "TexBench") {
    return "[Skin.Layout]\nSignature=" + signature + "\nName=" + name + "\nModule=X.dll\n";
}

class SkinMenuFiles : public ::testing::Test {
  protected:
    void Write(const std::string& file, const std::string& text) { Touch(dir_.File(file), text); }
    TempDir dir_{"skin-menu"};
};

TEST_F(SkinMenuFiles, TenSkinsListNine) {
    for (int i = 0; i < 10; ++i) {
        Write("skin" + std::to_string(i) + ".skn", Skin("Skin number " + std::to_string(i)));
    }
    const auto menu = FindSkins(dir_.Path(), "");
    ASSERT_EQ(menu.skins.size(), 9u);
    EXPECT_EQ(menu.marked, -1);
    std::vector<std::string> files;
    for (const auto& entry : menu.skins) {
        files.push_back(entry.file);
        EXPECT_EQ(entry.file.find('/'), std::string::npos) << "a name beside the program";
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(std::unique(files.begin(), files.end()), files.end());
}

TEST_F(SkinMenuFiles, OnlySkinsWithSignatureAndNameAreListed) {
    Write("good.skn", Skin("Good"));
    Write("case.SKN", Skin("Case", "TEXBENCH"));
    Write("other.skn", Skin("Other", "PatchBench"));
    Write("nameless.skn", Skin(""));
    Write("wrong.txt", Skin("Text file"));
    Write("empty.skn", "");
    std::filesystem::create_directories(dir_.File("folder.skn"));
    const auto menu = FindSkins(dir_.Path(), "");
    std::vector<std::string> names;
    for (const auto& entry : menu.skins) {
        names.push_back(entry.text);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Case", "Good"}));
}

TEST_F(SkinMenuFiles, ALongNameShowsItsFirst32Characters) {
    const std::string name = "A forty character skin name, ends here!!";
    ASSERT_EQ(name.size(), 40u);
    Write("long.skn", Skin(name));
    const auto menu = FindSkins(dir_.Path(), name);
    ASSERT_EQ(menu.skins.size(), 1u);
    EXPECT_EQ(menu.skins[0].text, name.substr(0, 32));
    EXPECT_EQ(menu.marked, 0) << "marked by the whole name";
}

TEST_F(SkinMenuFiles, TwoSkinsOfOneNameAreBothListedAndTheLastIsMarked) {
    Write("first.skn", Skin("Hive"));
    Write("second.skn", Skin("HIVE"));
    Write("third.skn", Skin("Console"));
    const auto menu = FindSkins(dir_.Path(), "hive");
    ASSERT_EQ(menu.skins.size(), 3u);
    int last = -1;
    for (std::size_t i = 0; i < menu.skins.size(); ++i) {
        if (menu.skins[i].text != "Console") {
            last = static_cast<int>(i);
        }
    }
    EXPECT_EQ(menu.marked, last);
}

TEST_F(SkinMenuFiles, CommandsStandForTheirFiles) {
    Write("only.skn", Skin("Only"));
    const auto menu = FindSkins(dir_.Path(), "nothing in use");
    ASSERT_NE(menu.FileOf(texbench::kSystemLookCommand), nullptr);
    EXPECT_EQ(*menu.FileOf(texbench::kSystemLookCommand), "");
    ASSERT_NE(menu.FileOf(texbench::kFirstSkinCommand), nullptr);
    EXPECT_EQ(*menu.FileOf(texbench::kFirstSkinCommand), "only.skn");
    EXPECT_EQ(menu.FileOf(texbench::kFirstSkinCommand + 1), nullptr) << "a deleted entry";
    EXPECT_EQ(menu.FileOf(texbench::kSkinHelpCommand), nullptr);
    EXPECT_TRUE(FindSkins(dir_.File("missing"), "").skins.empty());
}

TEST(SkinFile, ReadsColoursWithDefaultsAndTellsAMissingFile) {
    TempDir dir("skin-file");
    Touch(dir.File("a.skn"), "[Skin.Layout]\nSignature=texbench\n[Skin.Colors]\nText=1,2,3\n");
    const auto skin = texbench::ReadSkinFile(dir.File("a.skn"));
    ASSERT_TRUE(skin);
    EXPECT_TRUE(skin->IsSkin());
    EXPECT_FALSE(skin->IsListed());
    EXPECT_EQ(skin->background, 0u);
    EXPECT_EQ(skin->text, 0x030201u);
    EXPECT_FALSE(texbench::ReadSkinFile(dir.File("none.skn")));
}

}  // namespace
