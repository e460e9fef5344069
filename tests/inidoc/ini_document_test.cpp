#include "inidoc/ini_document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string Rewrite(const std::string& text) {
    CIniDocument document;
    document.LoadFromText(text);
    return document.ToText();
}

struct RewriteCase {
    const char* name;
    const char* input;
    const char* expected;
};

class IniRewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(IniRewrite, WritesBackWhatItRead) {
    EXPECT_EQ(Rewrite(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRewrite,
    ::testing::Values(
        RewriteCase{"LeadingCommentsStayOnTop", "; top\n; second\n[S]\nk=v\n",
                    "; top\n; second\n\n[S]\nk=v\n\n"},
        RewriteCase{"BlankLinesInsideASectionDisappear", "[S]\na=1\n\n\nb=2\n",
                    "[S]\na=1\nb=2\n\n"},
        RewriteCase{"KeyWithEmptyValueKeepsItsEquals", "[S]\nkey=\n", "[S]\nkey=\n\n"},
        RewriteCase{"LoneEqualsDisappears", "[S]\n=\nk=v\n", "[S]\nk=v\n\n"},
        RewriteCase{"LineWithoutEqualsBecomesKey", "[S]\njustakey\n", "[S]\njustakey=\n\n"},
        RewriteCase{"TextAfterSectionBracketIgnored", "[Name] trailing\nk=v\n", "[Name]\nk=v\n\n"},
        RewriteCase{"UnclosedBracketKeepsCurrentSection", "[A]\nx=1\n[Broken\ny=2\n",
                    "[A]\nx=1\ny=2\n\n"},
        RewriteCase{"CommentInsideSectionIsAnEntry", "[A]\n; note\nx=1\n", "[A]\n; note\nx=1\n\n"},
        RewriteCase{"LinesBeforeFirstSectionIgnored", "orphan=1\n[A]\nx=1\n", "[A]\nx=1\n\n"},
        RewriteCase{"CrLfLineEndsAreRead", "[A]\r\nx=1\r\ny=2\r\n", "[A]\nx=1\ny=2\n\n"},
        RewriteCase{"EmptySectionName", "[]\nx=1\n", "[]\nx=1\n\n"},
        RewriteCase{"BlanksAroundEqualsKept", "[A]\n  k  =  v  \n", "[A]\n  k  =  v  \n\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniDocument, LongLinesAreReadAsSeveralLines) {
    const std::string longKey(20000, 'k');
    CIniDocument document;
    document.LoadFromText("[A]\n" + longKey + "\n");
    const auto& entries = document.Sections().at(0).entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].key->size(), 16383u);
    EXPECT_EQ(entries[1].key->size(), 20000u - 16383u);
}

TEST(IniDocument, LookupsIgnoreCaseButNotBlanks) {
    CIniDocument document;
    document.LoadFromText("[settings]\npos x=12\nPos Y =7\n");
    EXPECT_EQ(document.GetString("Settings", "Pos X", "none"), "12");
    EXPECT_EQ(document.GetString("SETTINGS", "Pos Y", "none"), "none");
    EXPECT_EQ(document.GetString("Settings", "Pos Y ", "none"), "7");
    EXPECT_EQ(document.GetString("Other", "pos x", "none"), "none");
}

TEST(IniDocument, DuplicatesStayAndTheFirstWins) {
    CIniDocument document;
    document.LoadFromText("[A]\nk=first\nk=second\n[a]\nk=third\n");
    EXPECT_EQ(document.GetString("a", "K", ""), "first");
    EXPECT_EQ(document.Sections().size(), 2u);
}

TEST(IniDocument, GetIntReadsLeadingNumber) {
    struct Case {
        const char* value;
        int expected;
    } cases[] = {{"42abc", 42}, {"abc", -1}, {"-17", -17}, {" 5", -1}, {"0", 0}};
    for (const auto& c : cases) {
        CIniDocument document;
        document.LoadFromText(std::string("[A]\nk=") + c.value + "\n");
        EXPECT_EQ(document.GetInt("A", "k", -1), c.expected) << c.value;
    }
}

TEST(IniDocument, GetColorTakesDigitsPartByPart) {
    struct Case {
        const char* value;
        std::uint32_t defaultValue;
        std::uint32_t expected;
    } cases[] = {
        {"12,,255", 0x00FFFFFF, 0x00FFFF0C},
        {"1,2,3", 0, 0x00030201},
        {"256,511,x", 0x00AA0000, 0x00AAFF00},
        {"7", 0x00102030, 0x00102007},
    };
    for (const auto& c : cases) {
        CIniDocument document;
        document.LoadFromText(std::string("[A]\nc=") + c.value + "\n");
        EXPECT_EQ(document.GetColor("A", "c", c.defaultValue), c.expected) << c.value;
    }
    CIniDocument empty;
    EXPECT_EQ(empty.GetColor("A", "c", 0x123456), 0x123456u);
}

TEST(IniDocument, SetStringFollowsTheMissingKeyAndValueRules) {
    CIniDocument document;
    document.LoadFromText("[A]\nx=1\ny=2\n[B]\nz=3\n");
    EXPECT_FALSE(document.SetString(nullptr, "k", "v"));
    EXPECT_FALSE(document.SetString("", "k", "v"));
    EXPECT_TRUE(document.SetString("a", "X", "10"));         // existing entry changes
    EXPECT_TRUE(document.SetString("A", "y", nullptr));      // no value deletes it
    EXPECT_TRUE(document.SetString("A", "w", ""));           // missing entry, no value: nothing
    EXPECT_TRUE(document.SetString("A", "n", "new"));        // missing entry appended
    EXPECT_TRUE(document.SetString("B", nullptr, nullptr));  // no key deletes the section
    EXPECT_TRUE(document.SetString("C", "k", nullptr));      // missing section needs both
    EXPECT_TRUE(document.SetInt("D", "n", -3));
    EXPECT_EQ(document.ToText(), "[A]\nx=10\nn=new\n\n[D]\nn=-3\n\n");
}

class IniFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qm-ini-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(IniFiles, MissingFileFailsButRemembersThePathForSave) {
    CIniDocument document;
    const auto path = (dir_ / "new.cfg").string();
    EXPECT_FALSE(document.Load(path));
    EXPECT_EQ(document.Path(), path);
    document.SetString("Settings", "Skin", "default.skn");
    ASSERT_TRUE(document.Save());
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[Settings]\nSkin=default.skn\n\n");
    EXPECT_FALSE(CIniDocument().Load(""));
}

TEST_F(IniFiles, SaveIntoAMissingDirectoryFailsWithoutCreatingAnything) {
    CIniDocument document;
    document.LoadFromText("[A]\nk=v\n");
    EXPECT_FALSE(document.Save((dir_ / "no" / "such.ini").string()));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "no"));
}

}  // namespace
