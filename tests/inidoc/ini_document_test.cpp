#include "inidoc/ini_document.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
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

// Texts that once changed on every save. The first save may tidy the text; saving what it
// wrote must give the same text again.
class IniResave : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(IniResave, SecondSaveIsIdentical) {
    const std::string first = Rewrite(GetParam().input);
    EXPECT_EQ(first, GetParam().expected);
    EXPECT_EQ(Rewrite(first), first);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniResave,
    ::testing::Values(
        RewriteCase{"ValueWithoutKeyKeepsItsEquals", "[S]\n=value\nk=v\n", "[S]\n=value\nk=v\n\n"},
        RewriteCase{"ValueWithoutKeyLookingLikeASection", "[S]\n=[T]\n", "[S]\n=[T]\n\n"},
        RewriteCase{"ValueWithoutKeyLookingLikeAComment", "[S]\n=;c\n", "[S]\n;c\n\n"},
        RewriteCase{"CommentNamedSectionAfterARealOne", "[A]\nx=1\n[;B]\ny=2\n",
                    "[A]\nx=1\n\n[;B]\ny=2\n\n"},
        RewriteCase{"CommentNamedSectionAfterALeadingComment", "; top\n[;B]\ny=2\n",
                    "; top\n\n[;B]\ny=2\n\n"},
        RewriteCase{"CommentNamedFirstSectionBecomesALeadingComment", "[;B]\ny=2\n", ";B\ny=2\n\n"},
        RewriteCase{"ValueEndingInACarriageReturn", "[S]\nk=v\r\r\n", "[S]\nk=v\r\r\n\n"},
        RewriteCase{"CommentEndingInACarriageReturn", "; top\r\r\n[S]\n", "; top\r\r\n\n[S]\n\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniDocument, ResavedValuesReadTheSame) {
    CIniDocument document;
    document.LoadFromText(Rewrite("[A]\nx=1\n[;B]\ny=2\n[C]\nk=v\r\r\n"));
    EXPECT_EQ(document.GetString(";B", "y", ""), "2");
    EXPECT_EQ(document.GetString("A", "y", "none"), "none");
    EXPECT_EQ(document.GetString("C", "k", ""), "v\r");
}

TEST(IniDocument, LongLinesAreReadAsSeveralLines) {
    const std::string longKey(20000, 'k');
    CIniDocument document;
    document.LoadFromText("[A]\n" + longKey + "\n");
    const auto& entries = document.Sections().at(0).entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].key->size(), 16383u);
    EXPECT_EQ(entries[1].key->size(), 20000u - 16383u);
}

TEST(IniDocument, ALineThatJustFillsTheBufferIsOneLineWhateverItsEnding) {
    const std::string full(16383, 'k');
    for (const char* ending : {"\n", "\r\n"}) {
        CIniDocument document;
        document.LoadFromText("[A]" + std::string(ending) + full + ending + "next=1" + ending);
        const auto& entries = document.Sections().at(0).entries;
        ASSERT_EQ(entries.size(), 2u) << (ending[0] == '\r' ? "CR LF" : "LF");
        EXPECT_EQ(*entries[0].key, full);
        EXPECT_FALSE(entries[0].value);
        EXPECT_EQ(document.GetInt("A", "next", 0), 1);
    }
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
    } cases[] = {{"42abc", 42},
                 {"abc", -1},
                 {"-17", -17},
                 {" 5", -1},
                 {"0", 0},
                 // Beyond int: held at its ends instead of wrapping into a small number.
                 {"2147483647", INT_MAX},
                 {"2147483648", INT_MAX},
                 {"4294967297", INT_MAX},
                 {"-2147483649", INT_MIN},
                 {"99999999999999999999999", INT_MAX},
                 {"-99999999999999999999999", INT_MIN}};
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
    std::string Read(const std::string& name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::filesystem::path dir_;
};

TEST_F(IniFiles, AWindowsFileIsReadAndRewrittenWithPlainLineEnds) {
    const auto path = (dir_ / "Setup.ini").string();
    std::ofstream(path, std::ios::binary) << "; written on Windows\r\n[Setup]\r\nTitle=AvP\r\n";
    CIniDocument document;
    ASSERT_TRUE(document.Load(path));
    EXPECT_EQ(document.GetString("setup", "title", ""), "AvP");
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(Read("Setup.ini"), "; written on Windows\n\n[Setup]\nTitle=AvP\n\n");
}

TEST_F(IniFiles, ASaveCutShortLeavesTheOldFileAsItWas) {
    const auto path = (dir_ / "settings.cfg").string();
    const std::string old = "[Settings]\r\nSkin=old.skn\r\n";
    std::ofstream(path, std::ios::binary) << old;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file size limit stops the write half-way, as a full disk would.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        CIniDocument document;
        document.Load(path);
        for (int i = 0; i < 2000; ++i) {
            document.SetInt("Settings", ("Key" + std::to_string(i)).c_str(), i);
        }
        _exit(document.Save() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);  // the failure is reported
    EXPECT_EQ(Read("settings.cfg"), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(IniFiles, ALongPathIsKeptWhole) {
    std::filesystem::path deep = dir_;
    for (int i = 0; i < 6; ++i) {
        deep /= std::string(50, static_cast<char>('a' + i));
    }
    std::filesystem::create_directories(deep);
    const auto path = (deep / "settings.cfg").string();
    ASSERT_GT(path.size(), 300u);
    CIniDocument document;
    EXPECT_FALSE(document.Load(path));
    document.SetString("S", "k", "v");
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(document.Path(), path);
    EXPECT_TRUE(std::filesystem::exists(path));
}

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
