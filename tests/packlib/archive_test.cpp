// Reading, editing and writing Fastfiles through PackLib's archive exports.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "packlib/packlib_exports.h"
#include "platform/debug_output.h"
#include "tests/packlib/test_files.h"

namespace {

using namespace packlib_test;

// Closes an archive when a test ends, whatever it asserted.
struct Archive {
    FFLARCHIVE* handle;
    explicit Archive(FFLARCHIVE* h) : handle(h) {}
    ~Archive() { FFLCloseArchive(handle); }
    FFLARCHIVE* operator->() const { return handle; }
};

std::vector<std::string> ItemPaths(FFLARCHIVE* archive) {
    std::vector<std::string> paths;
    for (FFLITEM* item = FFLGetFirstItem(archive); item != nullptr; item = FFLGetNextItem(item)) {
        paths.push_back(FFLGetItemPath(item));
    }
    return paths;
}

std::string ItemData(FFLITEM* item) {
    uint32_t size = 0;
    const void* data = FFLGetItemData(item, &size);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
}

// A valid two-item directory-layout Fastfile.
Bytes TwoItemFastfile() {
    const Bytes directory = Concat({Entry(0, 3, "gfx\\a.rim"), Entry(4, 5, "b")});
    return Concat({Header(2, static_cast<uint32_t>(directory.size()), 12), directory,
                   Bytes{'a', 'b', 'c', 0, 'h', 'e', 'l', 'l', 'o', 0, 0, 0}});
}

TEST(ArchiveOpen, ReadsItemsWithPathsAndData) {
    TempDir dir;
    WriteFile(dir.File("two.ffl"), TwoItemFastfile());
    Archive archive(FFLOpenArchive(dir.File("two.ffl").c_str()));
    ASSERT_NE(archive.handle, nullptr);
    EXPECT_EQ(FFLGetItemCount(archive.handle), 2u);
    EXPECT_EQ(std::string(FFLGetPath(archive.handle)), dir.File("two.ffl"));
    EXPECT_EQ(ItemPaths(archive.handle), (std::vector<std::string>{"gfx\\a.rim", "b"}));
    EXPECT_EQ(ItemData(FFLGetFirstItem(archive.handle)), "abc");
    EXPECT_EQ(ItemData(FFLGetNextItem(FFLGetFirstItem(archive.handle))), "hello");
}

TEST(ArchiveOpen, FilesShorterThanAHeaderOpenAsNullSilently) {
    TempDir dir;
    const Bytes full = TwoItemFastfile();
    for (std::size_t length : {0, 1, 4, 19}) {
        WriteFile(dir.File("short.ffl"), Bytes(full.begin(), full.begin() + length));
        qm::DebugCapture capture;
        EXPECT_EQ(FFLOpenArchive(dir.File("short.ffl").c_str()), nullptr) << length;
        EXPECT_EQ(FFLParseArchive(dir.File("short.ffl").c_str()), nullptr) << length;
        EXPECT_EQ(capture.Text(), "") << length;
    }
}

TEST(ArchiveOpen, MissingFileAndEmptyNames) {
    qm::DebugCapture capture;
    EXPECT_EQ(FFLOpenArchive(nullptr), nullptr);
    EXPECT_EQ(FFLOpenArchive(""), nullptr);
    EXPECT_EQ(capture.Text(), "");
    EXPECT_EQ(FFLOpenArchive("/nonexistent/dir/x.ffl"), nullptr);
    EXPECT_EQ(FFLParseArchive("/nonexistent/dir/x.ffl"), nullptr);
    EXPECT_EQ(capture.Text(),
              "WARNING: FFLOpenArchive() failed to open Archive\n"
              "WARNING: FFLParseArchive() failed to open Archive\n");
}

TEST(ArchiveOpen, HeaderWithAZeroSizeOpensEmptyWithItsPath) {
    TempDir dir;
    const Bytes entry = Entry(0, 0, "x");
    struct Case {
        const char* name;
        Bytes file;
        std::size_t parsedItems;
    } cases[] = {
        {"zero count", Concat({Header(0, 12, 4), entry, Bytes(4, 0)}), 0},
        {"zero directory", Concat({Header(1, 0, 4), Bytes(4, 0)}), 0},
        // Items of length 0 only: nothing under open, every name under parse.
        {"zero data", Concat({Header(1, 12, 0), entry}), 1},
    };
    for (const Case& c : cases) {
        WriteFile(dir.File("z.ffl"), c.file);
        Archive opened(FFLOpenArchive(dir.File("z.ffl").c_str()));
        ASSERT_NE(opened.handle, nullptr) << c.name;
        EXPECT_EQ(FFLGetItemCount(opened.handle), 0u) << c.name;
        EXPECT_EQ(std::string(FFLGetPath(opened.handle)), dir.File("z.ffl")) << c.name;
        Archive parsed(FFLParseArchive(dir.File("z.ffl").c_str()));
        ASSERT_NE(parsed.handle, nullptr) << c.name;
        EXPECT_EQ(FFLGetItemCount(parsed.handle), c.parsedItems) << c.name;
    }
}

TEST(ArchiveOpen, EntriesBeyondTheCountAreIgnoredAndFewerEntriesAreCounted) {
    TempDir dir;
    const Bytes directory = Concat({Entry(0, 1, "a"), Entry(4, 1, "b")});
    WriteFile(dir.File("more.ffl"), Concat({Header(1, 24, 8), directory, Bytes(8, 'd')}));
    Archive more(FFLOpenArchive(dir.File("more.ffl").c_str()));
    ASSERT_NE(more.handle, nullptr);
    EXPECT_EQ(ItemPaths(more.handle), std::vector<std::string>{"a"});

    WriteFile(dir.File("fewer.ffl"), Concat({Header(5, 24, 8), directory, Bytes(8, 'd')}));
    Archive fewer(FFLOpenArchive(dir.File("fewer.ffl").c_str()));
    ASSERT_NE(fewer.handle, nullptr);
    EXPECT_EQ(FFLGetItemCount(fewer.handle), 2u);
}

// Damaged and hostile headers and entries: every one must fail cleanly with the open's
// error line, never read outside the file or allocate what the header claims.
TEST(ArchiveOpen, RefusesSizesAndEntriesThatLieOutsideTheFile) {
    TempDir dir;
    const Bytes unterminated = {0, 0, 0, 0, 1, 0, 0, 0, 'a', 'b', 'c', 'd'};
    const std::string cut =
        "the file is cut off: its directory or data block ends past the end of the file";
    const std::string outside = "bad size: an item lies outside the data block";
    const std::string badPath =
        "bad entry: an item path without its end or of 260 characters or more";
    struct Case {
        const char* name;
        Bytes file;
        std::string cause;  // the second line, after the open's usual one
    } cases[] = {
        {"4 GiB directory in a small file", Concat({Header(1, 0xFFFFFFF0u, 4), Bytes(80, 0)}), cut},
        {"data block past the end",
         Concat({Header(1, 12, 0xFFFFFFF0u), Entry(0, 1, "a"), Bytes(4, 0)}), cut},
        {"item past the data block", Concat({Header(1, 12, 4), Entry(0, 5, "a"), Bytes(4, 0)}),
         outside},
        {"offset + length wraps",
         Concat({Header(1, 12, 8), Entry(0xFFFFFFFCu, 8, "a"), Bytes(8, 0)}), outside},
        {"path without terminator", Concat({Header(1, 12, 4), unterminated, Bytes(4, 0)}), badPath},
        {"path of 260 characters",
         Concat({Header(1, 272, 4), Entry(0, 1, std::string(260, 'p')), Bytes(4, 0)}), badPath},
        {"version 1 and no sound records",
         Concat({Header(1, 12, 4, 1), Entry(0, 1, "a"), Bytes(4, 0)}),
         "bad magic: a sound record without \"RIFF\" after its path"},
        {"neither layout", Bytes(40, 0),
         "bad magic: neither \"RFFL\" nor a sound record with a path of 1 to 259 characters"},
    };
    for (const Case& c : cases) {
        WriteFile(dir.File("bad.ffl"), c.file);
        qm::DebugCapture capture;
        EXPECT_EQ(FFLOpenArchive(dir.File("bad.ffl").c_str()), nullptr) << c.name;
        EXPECT_EQ(capture.Text(),
                  "ERROR: FFLOpenArchive() failed to allocate memory!\n"
                  "ERROR: FFLOpenArchive() " +
                      c.cause + "\n")
            << c.name;
    }
}

// A sound archive has no count: a file cut right after a record, or a few bytes into the
// next, would read as an archive with fewer sounds. Without its end mark it is refused.
TEST(ArchiveOpen, SoundArchivesCutOffAreRefused) {
    TempDir dir;
    const Bytes first = SoundRecord(7, "sound\\a.wav", "WAVEfirst");
    const Bytes second = SoundRecord(9, "sound\\b.wav", "WAVEsecond");
    const Bytes whole = Concat({first, second, Bytes{0xFF, 0xFF}});
    const std::string path = dir.File("COMMON.FFL");
    WriteFile(path, whole);
    Archive opened(FFLOpenArchive(path.c_str()));
    ASSERT_NE(opened.handle, nullptr);
    EXPECT_EQ(FFLGetItemCount(opened.handle), 2u);

    const std::string missingMark =
        "the file is cut off: the end mark after the last sound record is missing\n";
    struct Case {
        const char* name;
        std::size_t length;
        std::string cause;
    } cases[] = {
        {"cut after the second record", first.size() + second.size(), missingMark},
        {"cut after the first record", first.size(), missingMark},
        {"one byte of the end mark", whole.size() - 1, missingMark},
        {"cut after the next record's tag", first.size() + 2, missingMark},
        {"cut inside the next record's path", first.size() + 8, missingMark},
        {"cut inside the next RIFF chunk", first.size() + second.size() - 3,
         "the file is cut off: a RIFF chunk ends past the end of the file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path, Bytes(whole.begin(), whole.begin() + c.length));
        for (auto [read, name] : {std::pair{&FFLOpenArchive, "FFLOpenArchive()"},
                                  std::pair{&FFLParseArchive, "FFLParseArchive()"}}) {
            qm::DebugCapture capture;
            EXPECT_EQ(read(path.c_str()), nullptr) << name;
            EXPECT_EQ(capture.Text(), "ERROR: " + std::string(name) +
                                          " failed to allocate memory!\nERROR: " + name + " " +
                                          c.cause);
        }
    }
}

// A names-only parse reads the directory alone: a file whose data block is cut short still
// lists every name, while the full open refuses it.
TEST(ArchiveOpen, ParseNeedsOnlyTheDirectory) {
    TempDir dir;
    const std::string path = dir.File("cut.ffl");
    for (std::size_t keep : {std::size_t{0}, std::size_t{5}}) {
        SCOPED_TRACE(keep);
        const Bytes whole = TwoItemFastfile();
        const std::size_t directoryEnd = whole.size() - 12;
        WriteFile(path, Bytes(whole.begin(), whole.begin() + directoryEnd + keep));
        Archive parsed(FFLParseArchive(path.c_str()));
        ASSERT_NE(parsed.handle, nullptr);
        EXPECT_EQ(ItemPaths(parsed.handle), (std::vector<std::string>{"gfx\\a.rim", "b"}));
        // The records keep the listed lengths for listings, yet the items hold no data.
        FFLITEM* first = FFLGetFirstItem(parsed.handle);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->dwSize, 3u);
        EXPECT_EQ(first->lpNext->dwSize, 5u);
        uint32_t size = 99;
        EXPECT_EQ(FFLGetItemData(first, &size), nullptr);
        EXPECT_EQ(size, 0u);
        qm::DebugCapture capture;
        EXPECT_EQ(FFLOpenArchive(path.c_str()), nullptr);
        EXPECT_EQ(capture.Text(),
                  "ERROR: FFLOpenArchive() failed to allocate memory!\n"
                  "ERROR: FFLOpenArchive() the file is cut off: its directory or data block ends "
                  "past the end of the file\n");
    }
    // The directory itself cut short: the parse fails too.
    const Bytes whole = TwoItemFastfile();
    WriteFile(path, Bytes(whole.begin(), whole.begin() + 30));
    EXPECT_EQ(FFLParseArchive(path.c_str()), nullptr);
}

#if defined(__SANITIZE_ADDRESS__)
#define QM_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_UNDER_ASAN 1
#endif
#endif

// A header's sizes are claims: a small file claiming gigabytes must fail before anything of
// that size is allocated. The child runs with little address space, so such an allocation
// would kill it. (AddressSanitizer reserves far more address space than the limit allows.)
TEST(ArchiveOpen, HugeClaimsInASmallFileFailWithoutAllocating) {
#if defined(QM_UNDER_ASAN)
    GTEST_SKIP() << "address space limits do not mix with AddressSanitizer";
#else
    TempDir dir;
    WriteFile(dir.File("dir.ffl"), Concat({Header(1, 0xFFFFFFF0u, 4), Bytes(80, 0)}));
    WriteFile(dir.File("data.ffl"),
              Concat({Header(1, 12, 0xFFFFFFF0u), Entry(0, 0xFFFFFF00u, "a"), Bytes(64, 0)}));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{1u << 30, 1u << 30};
        setrlimit(RLIMIT_AS, &limit);
        // A parse reads only the directory: the data block's claim does not concern it, and it
        // lists the one name without reading or allocating any data.
        FFLARCHIVE* parsed = FFLParseArchive(dir.File("data.ffl").c_str());
        bool refused = parsed != nullptr && FFLGetItemCount(parsed) == 1 &&
                       FFLParseArchive(dir.File("dir.ffl").c_str()) == nullptr;
        FFLCloseArchive(parsed);
        for (const char* name : {"dir.ffl", "data.ffl"}) {
            refused = refused && FFLOpenArchive(dir.File(name).c_str()) == nullptr;
        }
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the open died instead of failing";
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

TEST(ArchiveOpen, EveryPrefixAndRandomBytesOpenAsNullOrAValidArchive) {
    TempDir dir;
    const std::string path = dir.File("fuzz.ffl");
    const Bytes sound =
        Concat({SoundRecord(7, "s1", "WAVEdata"), SoundRecord(9, "s2", "WAVE"), Bytes{0xFF, 0xFF}});
    for (const Bytes& valid : {TwoItemFastfile(), sound}) {
        for (std::size_t length = 0; length <= valid.size(); ++length) {
            WriteFile(path, Bytes(valid.begin(), valid.begin() + length));
            FFLCloseArchive(FFLOpenArchive(path.c_str()));
            FFLCloseArchive(FFLParseArchive(path.c_str()));
        }
    }
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes = round % 2 == 0 ? TwoItemFastfile() : sound;
        for (int flips = 0; flips < 4; ++flips) {
            bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
        }
        if (round % 3 == 0) {
            bytes.resize(20 + random() % 60);
            for (auto& b : bytes)
                b = static_cast<unsigned char>(random());
        }
        WriteFile(path, bytes);
        Archive opened(FFLOpenArchive(path.c_str()));
        if (opened.handle != nullptr) {
            EXPECT_EQ(ItemPaths(opened.handle).size(), FFLGetItemCount(opened.handle));
        }
        FFLCloseArchive(FFLParseArchive(path.c_str()));
    }
}

TEST(ArchiveSave, PadsDataAndPathsToMultiplesOfFour) {
    TempDir dir;
    Archive archive(FFLCreateArchive(nullptr));
    ASSERT_NE(archive.handle, nullptr);
    ASSERT_NE(FFLAddItem(archive.handle, "abc", "1", 1), nullptr);
    ASSERT_NE(FFLAddItem(archive.handle, "abcd", "2222", 4), nullptr);
    ASSERT_NE(FFLAddItem(archive.handle, "e", "33333", 5), nullptr);
    ASSERT_TRUE(FFLSaveArchive(archive.handle, dir.File("out.ffl").c_str()));
    // An archive without a path takes the name it was first saved under.
    EXPECT_EQ(std::string(FFLGetPath(archive.handle)), dir.File("out.ffl"));

    const Bytes directory = Concat({Entry(0, 1, "abc"), Entry(4, 4, "abcd"), Entry(8, 5, "e")});
    ASSERT_EQ(Entry(0, 1, "abc").size(), 12u);
    ASSERT_EQ(Entry(0, 1, "abcd").size(), 16u);
    const Bytes data = {'1', 0, 0, 0, '2', '2', '2', '2', '3', '3', '3', '3', '3', 0, 0, 0};
    EXPECT_EQ(ReadFile(dir.File("out.ffl")),
              Concat({Header(3, static_cast<uint32_t>(directory.size()), 16), directory, data}));
}

TEST(ArchiveSave, KeepsThePathOfAnArchiveSavedUnderAnotherName) {
    TempDir dir;
    WriteFile(dir.File("two.ffl"), TwoItemFastfile());
    Archive archive(FFLOpenArchive(dir.File("two.ffl").c_str()));
    ASSERT_TRUE(FFLSaveArchive(archive.handle, dir.File("copy.ffl").c_str()));
    EXPECT_EQ(std::string(FFLGetPath(archive.handle)), dir.File("two.ffl"));
    EXPECT_EQ(ReadFile(dir.File("copy.ffl")), TwoItemFastfile());
}

TEST(ArchiveSave, SoundArchiveRoundTripsByteForByteWithTags) {
    TempDir dir;
    const Bytes sound = Concat({SoundRecord(0x1234, "sounds\\a.wav", "WAVEfmt xyz"),
                                SoundRecord(0xBEEF, "b", "WAVE"), Bytes{0xFF, 0xFF}});
    WriteFile(dir.File("common.ffl"), sound);
    Archive archive(FFLOpenArchive(dir.File("common.ffl").c_str()));
    ASSERT_NE(archive.handle, nullptr);
    EXPECT_EQ(archive->bSound, 1);
    EXPECT_EQ(ItemPaths(archive.handle), (std::vector<std::string>{"sounds\\a.wav", "b"}));
    EXPECT_EQ(FFLGetFirstItem(archive.handle)->wTag, 0x1234);
    EXPECT_EQ(ItemData(FFLGetFirstItem(archive.handle)).substr(0, 4), "RIFF");
    ASSERT_TRUE(FFLSaveArchive(archive.handle, dir.File("again.ffl").c_str()));
    EXPECT_EQ(ReadFile(dir.File("again.ffl")), sound);

    Archive parsed(FFLParseArchive(dir.File("common.ffl").c_str()));
    ASSERT_NE(parsed.handle, nullptr);
    EXPECT_EQ(ItemPaths(parsed.handle), (std::vector<std::string>{"sounds\\a.wav", "b"}));
    EXPECT_EQ(FFLGetNextItem(FFLGetFirstItem(parsed.handle))->wTag, 0xBEEF);
    EXPECT_EQ(FFLGetFirstItem(parsed.handle)->lpData, nullptr);
}

TEST(ArchiveSave, RefusesBadHandlesMissingNamesAndUncreatableFiles) {
    qm::DebugCapture capture;
    EXPECT_FALSE(FFLSaveArchive(nullptr, "/tmp/x.ffl"));
    Archive archive(FFLCreateArchive(""));
    EXPECT_FALSE(FFLSaveArchive(archive.handle, nullptr));
    EXPECT_FALSE(FFLSaveArchive(archive.handle, "/nonexistent/dir/x.ffl"));
    EXPECT_EQ(capture.Text(),
              "ERROR: FFLSaveArchive() called with invalid parameter!\n"
              "ERROR: FFLSaveArchive() no filename given!\n"
              "WARNING: FFLSaveArchive() failed to open(create) archive\n");
}

// A save that dies part-way (here: the file size limit) must leave the old Fastfile intact.
TEST(ArchiveSave, FailureHalfwayLeavesTheOldFileUntouched) {
    TempDir dir;
    const std::string path = dir.File("big.ffl");
    WriteFile(path, TwoItemFastfile());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        FFLARCHIVE* archive = FFLOpenArchive(path.c_str());
        const std::string big(1 << 20, 'x');
        for (int i = 0; i < 8; ++i) {
            FFLAddItem(archive, ("big" + std::to_string(i)).c_str(), big.data(),
                       static_cast<uint32_t>(big.size()));
        }
        rlimit limit{256 * 1024, 256 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        qm::DebugCapture capture;
        const bool saved = FFLSaveArchive(archive, nullptr);
        const bool reported = capture.Text() == "ERROR: FFLSaveArchive() failed to save archive!\n";
        _exit(!saved && reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must fail with its error line";
    EXPECT_EQ(ReadFile(path), TwoItemFastfile());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file may remain";
}

TEST(ArchiveItems, FindByWholePathOrByNameIgnoringAsciiCase) {
    Archive archive(FFLCreateArchive("x"));
    FFLITEM* nested = FFLAddItem(archive.handle, "Graphics\\Alien.RIM", "a", 1);
    FFLITEM* plain = FFLAddItem(archive.handle, "alien.rim", "b", 1);
    EXPECT_EQ(FFLFindItem(archive.handle, "ALIEN.rim", true), nested);
    EXPECT_EQ(FFLFindItem(archive.handle, "alien.rim", false), plain);
    EXPECT_EQ(FFLFindItem(archive.handle, "graphics\\alien.rim", false), nested);
    EXPECT_EQ(FFLFindItem(archive.handle, "Alien", true), nullptr);
    // Only A to Z fold; other bytes compare exactly.
    FFLITEM* accented = FFLAddItem(archive.handle, "\xC9t\xE9", nullptr, 0);
    EXPECT_EQ(FFLFindItem(archive.handle, "\xC9T\xE9", false), accented);
    EXPECT_EQ(FFLFindItem(archive.handle, "\xE9t\xE9", false), nullptr);
}

// The first match in list order, found by walking the records the way a caller would.
FFLITEM* FirstMatchByWalking(FFLARCHIVE* archive, const std::string& name, bool nameOnly) {
    auto fold = [](std::string text) {
        for (char& c : text) {
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return text;
    };
    for (FFLITEM* item = archive->lpFirst; item != nullptr; item = item->lpNext) {
        std::string path = item->szPath;
        if (nameOnly && path.rfind('\\') != std::string::npos) {
            path = path.substr(path.rfind('\\') + 1);
        }
        if (fold(path) == fold(name)) {
            return item;
        }
    }
    return nullptr;
}

// Lookups are answered from an index beside the list; whatever the adds, deletes, renames and
// data changes, every lookup must still give the first match in list order, and the records
// must still form the list that callers walk.
TEST(ArchiveItems, FindKeepsTheFirstMatchThroughEveryEdit) {
    const std::vector<std::string> names = {"a\\x.rim", "A\\X.RIM", "b\\x.rim", "x.rim",
                                            "X.Rim",    "b\\y",     "y",        "a\\b\\y"};
    std::mt19937 random(22);
    for (int run = 0; run < 20; ++run) {
        Archive archive(FFLCreateArchive("x"));
        for (int step = 0; step < 120; ++step) {
            std::vector<FFLITEM*> items;
            for (FFLITEM* item = archive->lpFirst; item != nullptr; item = item->lpNext) {
                items.push_back(item);
            }
            ASSERT_EQ(items.size(), FFLGetItemCount(archive.handle));
            const std::string& name = names[random() % names.size()];
            FFLITEM* some = items.empty() ? nullptr : items[random() % items.size()];
            switch (items.empty() ? 0 : random() % 5) {
                case 0:
                case 1:
                    ASSERT_NE(FFLAddItem(archive.handle, name.c_str(), "d", 1), nullptr);
                    break;
                case 2:
                    FFLDeleteItem(archive.handle, some);
                    break;
                case 3:
                    ASSERT_TRUE(FFLSetItemPath(some, name.c_str()));
                    break;
                default:
                    ASSERT_TRUE(FFLSetItemData(some, "new", 3));
                    break;
            }
            for (const std::string& wanted : names) {
                for (bool nameOnly : {false, true}) {
                    ASSERT_EQ(FFLFindItem(archive.handle, wanted.c_str(), nameOnly),
                              FirstMatchByWalking(archive.handle, wanted, nameOnly))
                        << "run " << run << " step " << step << " " << wanted << " " << nameOnly;
                }
            }
        }
    }
}

// Adds after the list was changed behind the library's back (the records are the caller's to
// read, and a careless caller may relink them) still append at the real end.
TEST(ArchiveItems, AddsFollowTheListAsTheRecordsShowIt) {
    Archive archive(FFLCreateArchive("x"));
    FFLITEM* a = FFLAddItem(archive.handle, "a", "1", 1);
    FFLITEM* b = FFLAddItem(archive.handle, "b", "2", 1);
    ASSERT_EQ(FFLFindItem(archive.handle, "b", false), b);
    // The caller moves b to the front by hand.
    a->lpNext = nullptr;
    b->lpNext = a;
    archive->lpFirst = b;
    FFLITEM* c = FFLAddItem(archive.handle, "c", "3", 1);
    EXPECT_EQ(a->lpNext, c);
    EXPECT_EQ(ItemPaths(archive.handle), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(FFLFindItem(archive.handle, "c", false), c);
}

TEST(ArchiveItems, DeleteOnlyFromTheOwningArchive) {
    Archive first(FFLCreateArchive("a"));
    Archive second(FFLCreateArchive("b"));
    FFLITEM* item = FFLAddItem(first.handle, "one", "1", 1);
    FFLAddItem(second.handle, "two", "2", 1);
    qm::DebugCapture capture;
    FFLDeleteItem(second.handle, item);
    EXPECT_EQ(capture.Text(),
              "ERROR: FFLDeleteItem() the specified item is NOT in this archive!\n");
    EXPECT_EQ(FFLGetItemCount(first.handle), 1u);
    EXPECT_EQ(FFLGetItemCount(second.handle), 1u);
    FFLDeleteItem(first.handle, item);
    EXPECT_EQ(FFLGetItemCount(first.handle), 0u);
    EXPECT_EQ(FFLGetFirstItem(first.handle), nullptr);
    // The deleted item is no longer a handle.
    capture.Clear();
    EXPECT_EQ(FFLGetItemPath(item), nullptr);
    FFLDeleteItem(first.handle, item);
    EXPECT_EQ(capture.Text(), "WARNING: FFLDeleteItem() called with invalid parameter!\n");
}

TEST(ArchiveItems, SetPathRules) {
    Archive archive(FFLCreateArchive("x"));
    FFLITEM* item = FFLAddItem(archive.handle, "i", nullptr, 0);
    const std::string longest(259, 'p');
    const std::string tooLong(260, 'p');
    struct Case {
        const char* path;
        bool ok;
        const char* diagnostic;
    } cases[] = {
        {longest.c_str(), true, ""},
        {tooLong.c_str(), false,
         "WARNING: %s() called with invalid parameter:\n required: 0 < lpszPath < MAX_PATH\n"},
        {"", false,
         "WARNING: %s() called with invalid parameter:\n required: 0 < lpszPath < MAX_PATH\n"},
        {nullptr, false, "WARNING: %s() called with invalid parameter!\n"},
    };
    for (const Case& c : cases) {
        for (const char* name : {"FFLSetPath", "FFLSetItemPath"}) {
            qm::DebugCapture capture;
            const bool ok = std::string(name) == "FFLSetPath" ? FFLSetPath(archive.handle, c.path)
                                                              : FFLSetItemPath(item, c.path);
            char expected[256];
            std::snprintf(expected, sizeof(expected), c.diagnostic, name);
            EXPECT_EQ(ok, c.ok) << name;
            EXPECT_EQ(capture.Text(), expected) << name;
        }
    }
    EXPECT_EQ(std::string(FFLGetPath(archive.handle)), longest);
    EXPECT_EQ(std::string(FFLGetItemPath(item)), longest);
}

TEST(ArchiveItems, DataIsCopiedAndMissingDataReadsAsNothing) {
    Archive archive(FFLCreateArchive("x"));
    FFLITEM* item = FFLAddItem(archive.handle, "", nullptr, 0);
    uint32_t size = 99;
    EXPECT_EQ(FFLGetItemData(item, &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(FFLGetItemData(item, nullptr), nullptr);

    char source[] = "payload";
    ASSERT_TRUE(FFLSetItemData(item, source, 7));
    source[0] = 'X';
    EXPECT_EQ(ItemData(item), "payload");
    // Data taken from the item's own block survives the replacement.
    ASSERT_TRUE(FFLSetItemData(item, item->lpData + 3, 4));
    EXPECT_EQ(ItemData(item), "load");

    qm::DebugCapture capture;
    EXPECT_FALSE(FFLSetItemData(item, nullptr, 4));
    EXPECT_FALSE(FFLSetItemData(item, "x", 0));
    EXPECT_EQ(capture.Text(),
              "WARNING: FFLSetItemData() called with invalid parameter!\n"
              "WARNING: FFLSetItemData() called with invalid parameter!\n");
    EXPECT_EQ(ItemData(item), "load");
}

// Null, foreign and closed handles are all refused the same way.
TEST(ArchiveHandles, NullForeignAndClosedHandlesAreRefused) {
    FFLARCHIVE foreignArchive{};
    FFLITEM foreignItem{};
    FFLARCHIVE* closed = FFLCreateArchive("gone");
    FFLITEM* closedItem = FFLAddItem(closed, "i", "d", 1);
    FFLCloseArchive(closed);
    const std::pair<FFLARCHIVE*, FFLITEM*> handles[] = {
        {nullptr, nullptr}, {&foreignArchive, &foreignItem}, {closed, closedItem}};
    for (const auto& [archive, item] : handles) {
        qm::DebugCapture capture;
        EXPECT_EQ(FFLGetItemCount(archive), 0u);
        EXPECT_EQ(FFLGetPath(archive), nullptr);
        EXPECT_EQ(FFLGetFirstItem(archive), nullptr);
        EXPECT_EQ(FFLGetNextItem(item), nullptr);
        EXPECT_EQ(FFLGetItemPath(item), nullptr);
        EXPECT_EQ(FFLGetItemData(item, nullptr), nullptr);
        FFLCloseArchive(archive);
        EXPECT_EQ(capture.Text(), "");
        EXPECT_EQ(FFLAddItem(archive, "p", "d", 1), nullptr);
        EXPECT_EQ(FFLFindItem(archive, "p", false), nullptr);
        EXPECT_FALSE(FFLSetItemData(item, "d", 1));
        FFLDeleteItem(archive, item);
        EXPECT_EQ(capture.Text(),
                  "WARNING: FFLAddItem() called with invalid parameter!\n"
                  "WARNING: FFLFindItem() called with invalid parameter!\n"
                  "WARNING: FFLSetItemData() called with invalid parameter!\n"
                  "WARNING: FFLDeleteItem() called with invalid parameter!\n");
    }
}

TEST(BufferSizes, DefaultsAndRange) {
    EXPECT_EQ(FFLGetBufferSize(), 1024u);
    EXPECT_EQ(FFLGetPBufferSize(), 16u);
    EXPECT_EQ(FFLGetDbBufferSize(), 16u);
    struct Pair {
        uint32_t (*get)();
        bool (*set)(uint32_t);
    } pairs[] = {{FFLGetBufferSize, FFLSetBufferSize},
                 {FFLGetPBufferSize, FFLSetPBufferSize},
                 {FFLGetDbBufferSize, FFLSetDbBufferSize}};
    for (const Pair& p : pairs) {
        const uint32_t before = p.get();
        EXPECT_FALSE(p.set(3));
        EXPECT_FALSE(p.set(65537));
        EXPECT_FALSE(p.set(0));
        EXPECT_EQ(p.get(), before);
        EXPECT_TRUE(p.set(4));
        EXPECT_EQ(p.get(), 4u);
        EXPECT_TRUE(p.set(65536));
        EXPECT_EQ(p.get(), 65536u);
        EXPECT_TRUE(p.set(before));
    }
}

// Tiny buffers must not change what is read or written.
TEST(BufferSizes, SmallestBuffersStillRoundTrip) {
    TempDir dir;
    ASSERT_TRUE(FFLSetBufferSize(4));
    ASSERT_TRUE(FFLSetPBufferSize(4));
    Archive archive(FFLCreateArchive(dir.File("small.ffl").c_str()));
    const std::string big(20000, 'q');
    FFLAddItem(archive.handle, "big", big.data(), static_cast<uint32_t>(big.size()));
    ASSERT_TRUE(FFLSaveArchive(archive.handle, nullptr));
    Archive again(FFLOpenArchive(dir.File("small.ffl").c_str()));
    ASSERT_NE(again.handle, nullptr);
    EXPECT_EQ(ItemData(FFLGetFirstItem(again.handle)), big);
    Archive parsed(FFLParseArchive(dir.File("small.ffl").c_str()));
    EXPECT_EQ(ItemPaths(parsed.handle), std::vector<std::string>{"big"});
    EXPECT_TRUE(FFLSetBufferSize(1024));
    EXPECT_TRUE(FFLSetPBufferSize(16));
}

}  // namespace
