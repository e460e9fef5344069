// Saves that must never lose or misplace a user's file: names too long for their field,
// sound items that would make the sound Fastfile unreadable, files changed on disk by
// another program since they were read, read-only files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "packlib/packlib_exports.h"
#include "platform/debug_output.h"
#include "tests/packlib/test_files.h"

namespace {

using namespace packlib_test;
namespace fs = std::filesystem;

struct Archive {
    FFLARCHIVE* handle;
    explicit Archive(FFLARCHIVE* h) : handle(h) {}
    ~Archive() { FFLCloseArchive(handle); }
};

std::vector<std::string> ItemPaths(FFLARCHIVE* archive) {
    std::vector<std::string> paths;
    for (FFLITEM* item = FFLGetFirstItem(archive); item != nullptr; item = FFLGetNextItem(item)) {
        paths.push_back(FFLGetItemPath(item));
    }
    return paths;
}

Bytes TwoItemBytes() {
    const Bytes directory = Concat({Entry(0, 3, "gfx\\a.rim"), Entry(4, 5, "b")});
    return Concat({Header(2, static_cast<uint32_t>(directory.size()), 12), directory,
                   Bytes{'a', 'b', 'c', 0, 'h', 'e', 'l', 'l', 'o', 0, 0, 0}});
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n') + 1);
}

// A path of exactly `length` characters below `dir`, through folders that exist, ending in
// a file name (folders of at most 60 characters, so that every component is a legal name).
std::string PathOfLength(const std::string& dir, std::size_t length) {
    std::string path = dir;
    while (path.size() + 1 + 60 + 1 + 8 < length) {
        path += "/" + std::string(60, 'd');
        fs::create_directories(path);
    }
    path += "/";
    path += std::string(length - path.size(), 'f');
    return path;
}

// ---- names that do not fit a path field -------------------------------------------------

// Cut to 259 characters the name would be another file, which the save would overwrite.
TEST(LongPaths, ASaveNeverWritesToTheCutName) {
    TempDir dir;
    const std::string longName = PathOfLength(dir.Path(), 265);
    const std::string cut = longName.substr(0, 259);
    WriteFile(cut, Bytes{'u', 's', 'e', 'r'});
    Archive archive(FFLCreateArchive("x.ffl"));
    FFLAddItem(archive.handle, "a", "data", 4);
    qm::DebugCapture capture;
    errno = 0;
    EXPECT_FALSE(FFLSaveArchive(archive.handle, longName.c_str()));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_EQ(capture.Text(),
              "ERROR: FFLSaveArchive() called with invalid parameter!\n"
              " required: lpszFile < MAX_PATH\n");
    EXPECT_EQ(ReadFile(cut), (Bytes{'u', 's', 'e', 'r'}));
    EXPECT_FALSE(fs::exists(longName));
}

TEST(LongPaths, EveryFunctionThatTakesAFileNameRefusesOneThatDoesNotFit) {
    TempDir dir;
    const std::string fits = PathOfLength(dir.Path(), 259);
    const std::string tooLong = PathOfLength(dir.Path(), 260);
    WriteFile(tooLong.substr(0, 259), TwoItemBytes());
    const struct {
        const char* function;
        bool (*refuses)(const std::string& name);
    } cases[] = {
        {"FFLOpenArchive",
         [](const std::string& n) { return FFLOpenArchive(n.c_str()) == nullptr; }},
        {"FFLParseArchive",
         [](const std::string& n) { return FFLParseArchive(n.c_str()) == nullptr; }},
        {"FFLCreateArchive",
         [](const std::string& n) { return FFLCreateArchive(n.c_str()) == nullptr; }},
        {"FFLAddItem",
         [](const std::string& n) {
             Archive archive(FFLCreateArchive("x"));
             return FFLAddItem(archive.handle, n.c_str(), "d", 1) == nullptr;
         }},
        {"FFLCreateDatabase",
         [](const std::string& n) { return FFLCreateDatabase(n.c_str()) == nullptr; }},
        {"FFLOpenDatabase",
         [](const std::string& n) { return FFLOpenDatabase(n.c_str()) == nullptr; }},
        {"FFLSaveDatabase",
         [](const std::string& n) {
             FFLDB* db = FFLCreateDatabase("x");
             FFLAddDbItem(db, "a", "a.ffl");
             const bool refused = !FFLSaveDatabase(db, n.c_str());
             FFLCloseDatabase(db);
             return refused;
         }},
    };
    for (const auto& c : cases) {
        qm::DebugCapture capture;
        EXPECT_TRUE(c.refuses(tooLong)) << c.function;
        EXPECT_NE(capture.Text().find(std::string(c.function) + "()"), std::string::npos)
            << c.function << ": " << capture.Text();
        EXPECT_NE(capture.Text().find(" required: "), std::string::npos) << c.function;
    }
    // The cut name was never read as if it were the one asked for, nor written.
    EXPECT_EQ(ReadFile(tooLong.substr(0, 259)), TwoItemBytes());
    // 259 characters still fit everywhere.
    Archive archive(FFLCreateArchive(fits.c_str()));
    ASSERT_NE(archive.handle, nullptr);
    FFLAddItem(archive.handle, "a", "data", 4);
    EXPECT_TRUE(FFLSaveArchive(archive.handle, nullptr));
    Archive reopened(FFLOpenArchive(fits.c_str()));
    EXPECT_NE(reopened.handle, nullptr);
}

// ---- sound items -------------------------------------------------------------------------

Bytes Riff(const std::string& body) {
    Bytes out;
    PutText(out, "RIFF");
    PutU32(out, static_cast<std::uint32_t>(body.size()));
    PutText(out, body);
    return out;
}

Bytes SoundFastfile() {
    return Concat({SoundRecord(7, "sounds\\a.wav", "WAVEfmt one"),
                   SoundRecord(8, "sounds\\b.wav", "WAVEfmt two"), Bytes{0xFF, 0xFF}});
}

// Bytes that are not exactly one RIFF chunk: the sound layout finds the next record by the
// chunk's length, so each of these would leave the saved file unreadable.
struct BadSound {
    const char* what;
    Bytes bytes;
};
std::vector<BadSound> BadSounds() {
    Bytes tagged = Riff("WAVEfmt data");
    PutText(tagged, "TAG+ID3");
    Bytes longer = Riff("WAVEfmt data");
    longer[4] += 4;
    Bytes shorter = Riff("WAVEfmt data");
    shorter[4] -= 2;
    return {{"a WAV with a tag appended", tagged},
            {"a RIFF length past the data", longer},
            {"a RIFF length short of the data", shorter},
            {"random bytes", Bytes{0x13, 0x37, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
            {"fewer bytes than a chunk header", Bytes{'R', 'I', 'F', 'F', 0}}};
}

TEST(SoundItems, ItemsThatAreNotOneRiffChunkAreRefusedWhenSetOrAdded) {
    TempDir dir;
    const std::string path = dir.File("COMMON.FFL");
    WriteFile(path, SoundFastfile());
    Archive archive(FFLOpenArchive(path.c_str()));
    ASSERT_NE(archive.handle, nullptr);
    FFLITEM* first = FFLGetFirstItem(archive.handle);
    for (const BadSound& bad : BadSounds()) {
        qm::DebugCapture capture;
        EXPECT_FALSE(
            FFLSetItemData(first, bad.bytes.data(), static_cast<uint32_t>(bad.bytes.size())))
            << bad.what;
        EXPECT_EQ(FirstLine(capture.Text()),
                  "WARNING: FFLSetItemData() called with invalid parameter!\n")
            << bad.what;
        EXPECT_EQ(FFLAddItem(archive.handle, "sounds\\new.wav", bad.bytes.data(),
                             static_cast<uint32_t>(bad.bytes.size())),
                  nullptr)
            << bad.what;
    }
    // A sound item needs a path, too: the layout has no record without one.
    const Bytes good = Riff("WAVEfmt fine");
    EXPECT_EQ(FFLAddItem(archive.handle, "", good.data(), static_cast<uint32_t>(good.size())),
              nullptr);
    // The refused changes left everything as it was; a whole chunk is taken.
    EXPECT_EQ(FFLGetItemCount(archive.handle), 2u);
    ASSERT_TRUE(FFLSetItemData(first, good.data(), static_cast<uint32_t>(good.size())));
    ASSERT_NE(FFLAddItem(archive.handle, "sounds\\c.wav", good.data(),
                         static_cast<uint32_t>(good.size())),
              nullptr);
    ASSERT_TRUE(FFLSaveArchive(archive.handle, nullptr));
    Archive reopened(FFLOpenArchive(path.c_str()));
    ASSERT_NE(reopened.handle, nullptr);
    EXPECT_EQ(ItemPaths(reopened.handle),
              (std::vector<std::string>{"sounds\\a.wav", "sounds\\b.wav", "sounds\\c.wav"}));
}

// The same bytes are fine in the directory layout, which stores any bytes.
TEST(SoundItems, TheDirectoryLayoutTakesAnyBytes) {
    Archive archive(FFLCreateArchive("x.ffl"));
    for (const BadSound& bad : BadSounds()) {
        EXPECT_NE(FFLAddItem(archive.handle, bad.what, bad.bytes.data(),
                             static_cast<uint32_t>(bad.bytes.size())),
                  nullptr)
            << bad.what;
    }
}

// Callers may write an item's data fields directly: the save checks again before it touches
// the file, and a sound archive too small to be read back is not written either.
TEST(SoundItems, ASaveThatCouldNotBeReadBackLeavesTheFileAlone) {
    TempDir dir;
    const std::string path = dir.File("COMMON.FFL");
    WriteFile(path, SoundFastfile());
    {
        Archive archive(FFLOpenArchive(path.c_str()));
        ASSERT_NE(archive.handle, nullptr);
        FFLITEM* first = FFLGetFirstItem(archive.handle);
        first->dwSize -= 1;
        qm::DebugCapture capture;
        EXPECT_FALSE(FFLSaveArchive(archive.handle, nullptr));
        EXPECT_EQ(FirstLine(capture.Text()), "ERROR: FFLSaveArchive() failed to save archive!\n");
        first->dwSize += 1;
    }
    {
        Archive parsed(FFLParseArchive(path.c_str()));  // names only: no chunks to write
        ASSERT_NE(parsed.handle, nullptr);
        EXPECT_FALSE(FFLSaveArchive(parsed.handle, nullptr));
    }
    {
        Archive archive(FFLOpenArchive(path.c_str()));
        ASSERT_NE(archive.handle, nullptr);
        while (FFLGetFirstItem(archive.handle) != nullptr) {
            FFLDeleteItem(archive.handle, FFLGetFirstItem(archive.handle));
        }
        EXPECT_FALSE(FFLSaveArchive(archive.handle, nullptr));
    }
    EXPECT_EQ(ReadFile(path), SoundFastfile());
}

// ---- files changed on disk since they were read -------------------------------------------

TEST(LostUpdates, ASaveOverANewerFileFailsAndKeepsIt) {
    TempDir dir;
    const std::string path = dir.File("menus.ffl");
    WriteFile(path, TwoItemBytes());
    Archive first(FFLOpenArchive(path.c_str()));
    Archive second(FFLOpenArchive(path.c_str()));
    ASSERT_NE(first.handle, nullptr);
    ASSERT_NE(second.handle, nullptr);
    FFLAddItem(first.handle, "from-first", "1", 1);
    FFLAddItem(second.handle, "from-second", "2", 1);
    ASSERT_TRUE(FFLSaveArchive(first.handle, nullptr));
    qm::DebugCapture capture;
    errno = 0;
    EXPECT_FALSE(FFLSaveArchive(second.handle, nullptr));
    EXPECT_EQ(errno, ESTALE);
    EXPECT_NE(capture.Text().find(" the file changed on disk since it was read\n"),
              std::string::npos)
        << capture.Text();
    Archive onDisk(FFLOpenArchive(path.c_str()));
    EXPECT_EQ(ItemPaths(onDisk.handle),
              (std::vector<std::string>{"gfx\\a.rim", "b", "from-first"}));
    // The archive that saved may save again: it compares with the file it wrote.
    FFLAddItem(first.handle, "again", "3", 1);
    EXPECT_TRUE(FFLSaveArchive(first.handle, nullptr));
    // Saving under another name is not a save back, whatever the file there holds.
    EXPECT_TRUE(FFLSaveArchive(second.handle, dir.File("copy.ffl").c_str()));
}

TEST(LostUpdates, AFileRewrittenInPlaceWithTheSameSizeCountsAsChanged) {
    TempDir dir;
    const std::string path = dir.File("menus.ffl");
    WriteFile(path, TwoItemBytes());
    Archive archive(FFLOpenArchive(path.c_str()));
    ASSERT_NE(archive.handle, nullptr);
    Bytes changed = TwoItemBytes();
    changed.back() = 'Z';
    WriteFile(path, changed);  // same file, same size
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(1));
    EXPECT_FALSE(FFLSaveArchive(archive.handle, nullptr));
    EXPECT_EQ(ReadFile(path), changed);
}

TEST(LostUpdates, TheDatabaseToo) {
    TempDir dir;
    const std::string path = dir.File("ffinfo.txt");
    FFLDB* made = FFLCreateDatabase(path.c_str());
    FFLAddDbItem(made, "graphics", "g.ffl");
    ASSERT_TRUE(FFLSaveDatabase(made, nullptr));
    FFLCloseDatabase(made);
    FFLDB* first = FFLOpenDatabase(path.c_str());
    FFLDB* second = FFLOpenDatabase(path.c_str());
    FFLAddDbItem(first, "sound", "s.ffl");
    FFLAddDbItem(second, "menus", "m.ffl");
    EXPECT_TRUE(FFLSaveDatabase(first, nullptr));
    EXPECT_FALSE(FFLSaveDatabase(second, nullptr));
    FFLCloseDatabase(first);
    FFLCloseDatabase(second);
    const Bytes onDisk = ReadFile(path);
    EXPECT_EQ(std::string(onDisk.begin(), onDisk.end()), "graphics;g.ffl\nsound;s.ffl\n");
}

// ---- read-only files -------------------------------------------------------------------

// Runs `body` in a child that is an ordinary user ("nobody" when the tests run as the
// super-user, whom permissions do not bind); its exit status.
template <typename Body>
int AsOrdinaryUser(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(120);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ReadOnlyFiles, ASaveToAFileTheUserMayNotWriteFailsAsOpeningItWould) {
    TempDir dir;
    chmod(dir.Path().c_str(), 0777);
    const std::string path = dir.File("cd-copy.ffl");
    WriteFile(path, TwoItemBytes());
    chmod(path.c_str(), 0444);
    const int status = AsOrdinaryUser([&] {
        FFLARCHIVE* archive = FFLOpenArchive(path.c_str());
        if (archive == nullptr) {
            return 2;
        }
        FFLAddItem(archive, "new", "n", 1);
        qm::DebugCapture capture;
        const bool saved = FFLSaveArchive(archive, nullptr);
        FFLCloseArchive(archive);
        return !saved && capture.Text() ==
                             "WARNING: FFLSaveArchive() failed to open(create) archive\n"
                   ? 0
                   : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(path), TwoItemBytes());
    struct stat info {};
    stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
}

}  // namespace
