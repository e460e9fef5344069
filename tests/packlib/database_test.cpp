// The Fastfile database: reading ffinfo.txt, looking paths up, editing and saving.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "packlib/packlib.h"
#include "platform/debug_output.h"
#include "platform/library_binding.h"
#include "platform/registry.h"
#include "tests/packlib/test_files.h"

using namespace packlib_test;

namespace {

// Bound by name, as programs do, with the game registered first, so that the library's
// Fastfile directory is the game's.
class Database : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("QUILLMARK_REGISTRY", dir_.File("registry.ini").c_str(), 1);
        fastfiles_ = dir_.File("game") + "/fastfile/";
        std::filesystem::create_directories(fastfiles_);
        ASSERT_TRUE(qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                                          "Software\\Fox Interactive\\Aliens versus Predator",
                                          "Path", dir_.File("game")));
        std::string error;
        ASSERT_TRUE(binding_.Bind("PackLib.dll", "PackLibInit", &error)) << error;
    }
    void TearDown() override {
        binding_.Unbind();
        unsetenv("QUILLMARK_REGISTRY");
    }

    const PACKLIBEXPORT& Lib() const { return binding_.Record(); }

    std::string WriteText(const std::string& name, const std::string& text) {
        const std::string path = dir_.File(name);
        WriteFile(path, Bytes(text.begin(), text.end()));
        return path;
    }

    std::vector<std::pair<std::string, std::string>> Entries(FFLDB* db) const {
        std::vector<std::pair<std::string, std::string>> entries;
        for (FFLDBITEM* e = Lib().FFLGetFirstDbItem(db); e; e = Lib().FFLGetNextDbItem(e)) {
            entries.emplace_back(Lib().FFLGetDbItemPath(e), Lib().FFLGetDbItemFile(e));
        }
        return entries;
    }

    std::vector<std::pair<std::string, std::string>> Read(const std::string& text) {
        FFLDB* db = Lib().FFLOpenDatabase(WriteText("read.txt", text).c_str());
        EXPECT_NE(db, nullptr);
        auto entries = Entries(db);
        EXPECT_EQ(Lib().FFLGetDbItemCount(db), entries.size());
        Lib().FFLCloseDatabase(db);
        return entries;
    }

    TempDir dir_;
    std::string fastfiles_;
    qm::LibraryBinding<PACKLIBEXPORT> binding_;
};

using Entry = std::pair<std::string, std::string>;
using EntryList = std::vector<Entry>;

TEST_F(Database, LinesBecomeEntriesOrAreSkipped) {
    struct Case {
        const char* text;
        EntryList expected;
    } cases[] = {
        {"a;x.ffl\n\nno semicolon\n;starts\nb;\n", {{"a", "x.ffl"}, {"b", ""}}},
        {"a;b;c\n", {{"a", "b;c"}}},
        {"graphics;g.ffl\r\nsound;Common.ffl\r\n",
         {{"graphics", "g.ffl"}, {"sound", "Common.ffl"}}},
        {"last;line.ffl", {{"last", "line.ffl"}}},
        {" blank ; kept \n", {{" blank ", " kept "}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.text), c.expected) << c.text;
    }
    // NUL inside a line: what the line buffer holds ends at the NUL.
    EXPECT_EQ(Read(std::string("pre;fix\0tail\nok;y\n", 18)),
              (EntryList{{"pre", "fix"}, {"ok", "y"}}));
}

TEST_F(Database, LongLinesAreSplitAndFieldsCut) {
    const std::string longPrefix(300, 'p');
    auto entries = Read(longPrefix + ";f\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, std::string(259, 'p'));
    // A line longer than the 1023 characters of the line buffer is read as two lines.
    entries = Read(std::string(1023, 'a') + "b;c\n");
    EXPECT_EQ(entries, (EntryList{{"b", "c"}}));
}

TEST_F(Database, FindMatchesPrefixesFirstInListOrder) {
    FFLDB* db = Lib().FFLCreateDatabase(nullptr);
    Lib().FFLAddDbItem(db, "gra", "first.ffl");
    Lib().FFLAddDbItem(db, "graphics", "second.ffl");
    Lib().FFLAddDbItem(db, "sound", "Common.ffl");
    struct Case {
        const char* path;
        const char* file;
        const char* expected;  // Fastfile of the match, null for none
    } cases[] = {
        {"graphics\\tex.rim", nullptr, "first.ffl"},
        {"GRA", nullptr, "first.ffl"},
        {"gr", nullptr, nullptr},
        {"Sound\\x.wav", "first.ffl", "Common.ffl"},  // the path wins over the file name
        {"", "COMMON.FFL", "Common.ffl"},
        {nullptr, "common", nullptr},
    };
    for (const Case& c : cases) {
        FFLDBITEM* found = Lib().FFLFindDbItem(db, c.path, c.file);
        if (c.expected == nullptr) {
            EXPECT_EQ(found, nullptr) << (c.path ? c.path : "(null)");
        } else {
            ASSERT_NE(found, nullptr) << (c.path ? c.path : "(null)");
            EXPECT_STREQ(Lib().FFLGetDbItemFile(found), c.expected);
        }
    }
    qm::DebugCapture capture;
    EXPECT_EQ(Lib().FFLFindDbItem(db, "", nullptr), nullptr);
    EXPECT_EQ(capture.Text(), "WARNING: FFLFindDbItem() called with invalid parameters!\n");
    Lib().FFLCloseDatabase(db);
}

TEST_F(Database, SavedLinesAreExactAndAReadSaveRoundTripIsIdentical) {
    const std::string text = "a;x.ffl\r\n\r\nb;\nskip\n";
    FFLDB* db = Lib().FFLOpenDatabase(WriteText("in.txt", text).c_str());
    ASSERT_NE(db, nullptr);
    const std::string out = dir_.File("out.txt");
    ASSERT_TRUE(Lib().FFLSaveDatabase(db, out.c_str()));
    EXPECT_EQ(ReadFile(out), (Bytes{'a', ';', 'x', '.', 'f', 'f', 'l', '\n', 'b', ';', '\n'}));
    EXPECT_STREQ(Lib().FFLGetDbPath(db), dir_.File("in.txt").c_str());  // a path is kept
    Lib().FFLCloseDatabase(db);

    db = Lib().FFLOpenDatabase(out.c_str());
    ASSERT_TRUE(Lib().FFLSaveDatabase(db, nullptr));
    EXPECT_EQ(ReadFile(out), (Bytes{'a', ';', 'x', '.', 'f', 'f', 'l', '\n', 'b', ';', '\n'}));
    Lib().FFLCloseDatabase(db);
}

TEST_F(Database, DefaultDatabaseIsFoundInTheFastfileDirectoryInAnyCase) {
    WriteFile(fastfiles_ + "FFINFO.TXT", Bytes{'g', ';', 'g', '.', 'f', 'f', 'l', '\n'});
    FFLDB* db = Lib().FFLOpenDatabase(nullptr);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(Entries(db), (EntryList{{"g", "g.ffl"}}));
    EXPECT_EQ(std::string(Lib().FFLGetDbPath(db)), fastfiles_ + "FFINFO.TXT");
    Lib().FFLCloseDatabase(db);
}

TEST_F(Database, WithoutAGameTheDefaultDatabaseIsInTheCurrentDirectory) {
    binding_.Unbind();
    ASSERT_TRUE(qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                                      "Software\\Fox Interactive\\Aliens versus Predator", "Path",
                                      ""));
    std::string error;
    ASSERT_TRUE(binding_.Bind("PackLib.dll", "PackLibInit", &error)) << error;
    WriteText("ffinfo.txt", "here;cwd.ffl\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_.File(""));
    FFLDB* db = Lib().FFLOpenDatabase(nullptr);
    std::filesystem::current_path(previous);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(Entries(db), (EntryList{{"here", "cwd.ffl"}}));
    Lib().FFLCloseDatabase(db);
}

TEST_F(Database, AnUnreadableFileIsNoEmptyDatabase) {
    const std::string folder = dir_.File("folder.txt");
    std::filesystem::create_directories(folder);
    qm::DebugCapture capture;
    EXPECT_EQ(Lib().FFLOpenDatabase(folder.c_str()), nullptr);
    EXPECT_EQ(capture.Text(), "WARNING: FFLOpenDatabase() failed to open Database\n");
}

TEST_F(Database, DiagnosticsForBadCalls) {
    qm::DebugCapture capture;
    EXPECT_EQ(Lib().FFLOpenDatabase(dir_.File("missing.txt").c_str()), nullptr);
    FFLDB* db = Lib().FFLCreateDatabase("");
    FFLDB* other = Lib().FFLCreateDatabase("");
    FFLDBITEM* foreign = Lib().FFLAddDbItem(other, "p", "f");
    EXPECT_FALSE(Lib().FFLSaveDatabase(db, ""));
    EXPECT_EQ(Lib().FFLAddDbItem(db, "", "f"), nullptr);
    EXPECT_EQ(Lib().FFLAddDbItem(db, "p", std::string(260, 'f').c_str()), nullptr);
    EXPECT_FALSE(Lib().FFLSetDbPath(db, std::string(260, 'x').c_str()));
    EXPECT_TRUE(Lib().FFLSetDbPath(db, std::string(259, 'x').c_str()));
    EXPECT_FALSE(Lib().FFLSetDbItemFile(foreign, ""));
    Lib().FFLDeleteDbItem(db, foreign);
    EXPECT_EQ(Lib().FFLGetDbItemCount(other), 1u);
    EXPECT_EQ(capture.Text(),
              "WARNING: FFLOpenDatabase() failed to open Database\n"
              "ERROR: FFLSaveDatabase() no filename given!\n"
              "WARNING: FFLAddDbItem() called with invalid parameter!\n"
              " required: 0 < lpszPath < MAX_PATH\n"
              "WARNING: FFLAddDbItem() called with invalid parameter!\n"
              " required: 0 < lpszFFL < MAX_PATH\n"
              "WARNING: FFLSetDbPath() called with invalid parameter:\n"
              " required: 0 < lpszPath < MAX_PATH\n"
              "WARNING: FFLSetDbItemFile() called with invalid parameter:\n"
              " required: 0 < lpszFile < MAX_PATH\n"
              "ERROR: FFLDeleteDbItem() the specified item is NOT in this list!\n");
    capture.Clear();
    Lib().FFLCloseDatabase(other);
    // Closed, foreign and null handles are all refused alike.
    EXPECT_EQ(Lib().FFLGetDbItemCount(other), 0u);
    EXPECT_EQ(Lib().FFLGetDbItemPath(foreign), nullptr);
    EXPECT_FALSE(Lib().FFLSetDbItemPath(foreign, "x"));
    EXPECT_FALSE(Lib().FFLSetDbPath(nullptr, "x"));
    Lib().FFLDeleteDbItem(db, nullptr);
    EXPECT_EQ(capture.Text(),
              "WARNING: FFLSetDbItemPath() called with invalid parameter!\n"
              "WARNING: FFLSetDbPath() called with invalid parameter!\n"
              "WARNING: FFLDeleteDbItem() called with invalid parameter!\n");
    Lib().FFLCloseDatabase(db);
}

TEST_F(Database, ASaveCutShortKeepsTheOldFile) {
    const std::string path = WriteText("ffinfo.txt", "old;file.ffl\n");
    const Bytes before = ReadFile(path);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        FFLDB* db = Lib().FFLCreateDatabase(path.c_str());
        for (int i = 0; i < 2000; ++i) {
            Lib().FFLAddDbItem(db, ("graphics\\folder" + std::to_string(i)).c_str(), "g.ffl");
        }
        rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(Lib().FFLSaveDatabase(db, nullptr) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(Database, RandomBytesNeverBreakTheReader) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        Bytes bytes(random() % 3000);
        for (auto& b : bytes) {
            // Mostly printable, with separators and line ends often enough to form entries.
            const unsigned r = random() % 16;
            b = r == 0   ? ';'
                : r == 1 ? '\n'
                : r == 2 ? '\r'
                : r == 3 ? 0
                         : static_cast<unsigned char>(random());
        }
        const std::string path = dir_.File("random.txt");
        WriteFile(path, bytes);
        FFLDB* db = Lib().FFLOpenDatabase(path.c_str());
        ASSERT_NE(db, nullptr);
        for (const auto& [prefix, file] : Entries(db)) {
            EXPECT_FALSE(prefix.empty());
            EXPECT_LT(prefix.size(), 260u);
            EXPECT_LT(file.size(), 260u);
        }
        Lib().FFLCloseDatabase(db);
    }
}

}  // namespace
