// The patch file format: exact sizes written, what the reader accepts, skips and refuses,
// hostile input, and saves that fail half-way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

#include "patchlib/patchlib_exports.h"
#include "platform/debug_output.h"
#include "tests/patchlib/patch_fixture.h"

using namespace patch_test;

namespace {

constexpr const char* kOpenFailed = "ERROR: KDZOpenPatch() failed to allocate memory!\n";

// Closes a patch when the test ends.
struct PatchCloser {
    void operator()(KDZPATCH* patch) const { KDZClosePatch(patch); }
};
using Patch = std::unique_ptr<KDZPATCH, PatchCloser>;

Patch Open(const std::string& file) {
    return Patch(KDZOpenPatch(file.c_str()));
}

Bytes SaveAndRead(KDZPATCH* patch, const std::string& file) {
    EXPECT_TRUE(KDZSavePatch(patch, file.c_str()));
    return ReadFile(file);
}

std::string Str(const Bytes& bytes, std::size_t offset, std::size_t count) {
    return std::string(bytes.begin() + offset, bytes.begin() + offset + count);
}

TEST(PatchWriter, TitleOnlyPatchIsFiftyBytes) {
    TempDir dir;
    Patch patch(KDZCreatePatch(nullptr));
    std::strcpy(patch->szTitle, "Demo");
    const Bytes file = SaveAndRead(patch.get(), dir.File("title.kdz"));
    ASSERT_EQ(file.size(), 50u);
    EXPECT_EQ(Str(file, 0, 4), "QMRK");
    EXPECT_EQ(SizeAt(file, 4), 42u);
    EXPECT_EQ(Str(file, 8, 8), std::string("KDZ1LIST"));
    EXPECT_EQ(SizeAt(file, 16), 30u);
    EXPECT_EQ(Str(file, 20, 8), "KDZ1PROP");
    EXPECT_EQ(SizeAt(file, 28), 18u);
    EXPECT_EQ(Str(file, 32, 8), "KDZ1LABL");
    EXPECT_EQ(SizeAt(file, 40), 5u);
    EXPECT_EQ(Str(file, 44, 6), std::string("Demo\0\0", 6));
}

TEST(PatchWriter, ItemFormCountsNamePathAndDataWithPads) {
    TempDir dir;
    Patch patch(KDZCreatePatch(nullptr));
    KDZITEM* item = KDZAddItem(patch.get(), "a\\b", "12345", 5);
    ASSERT_TRUE(KDZSetItemName(item, "nm"));
    const Bytes file = SaveAndRead(patch.get(), dir.File("item.kdz"));
    // 24 bytes of headers, no property chunk, one form of 8 + 42 bytes.
    ASSERT_EQ(file.size(), 74u);
    EXPECT_EQ(SizeAt(file, 4), 66u);
    EXPECT_EQ(SizeAt(file, 16), 54u);
    EXPECT_EQ(Str(file, 24, 4), "FORM");
    EXPECT_EQ(SizeAt(file, 28), 42u);
    EXPECT_EQ(Str(file, 32, 4), "KDZ1");
    EXPECT_EQ(Str(file, 36, 12), std::string("NAME\3\0\0\0nm\0\0", 12));
    EXPECT_EQ(Str(file, 48, 12), std::string("PATH\4\0\0\0a\\b\0", 12));
    EXPECT_EQ(Str(file, 60, 14), std::string("DATA\5\0\0\0"
                                             "12345\0",
                                             14));
}

TEST(PatchWriter, ItemsWithoutPathOrDataLeaveTheSkeleton) {
    TempDir dir;
    Patch patch(KDZCreatePatch(nullptr));
    KDZAddItem(patch.get(), "only\\path", nullptr, 0);
    KDZAddItem(patch.get(), nullptr, "data", 4);
    const Bytes file = SaveAndRead(patch.get(), dir.File("skeleton.kdz"));
    ASSERT_EQ(file.size(), 24u);
    EXPECT_EQ(SizeAt(file, 4), 16u);
    EXPECT_EQ(SizeAt(file, 16), 4u);
}

TEST(PatchWriter, WriteReopenWriteIsByteIdentical) {
    TempDir dir;
    Patch patch(KDZCreatePatch(nullptr));
    std::strcpy(patch->szTitle, "Title");
    std::strcpy(patch->szVersion, "1.0");
    std::strcpy(patch->szAuthor, "Someone");
    std::strcpy(patch->szCopyright, "(c) 2026");
    std::strcpy(patch->szDescription, "Odd and even lengths");
    KDZSetItemName(KDZAddItem(patch.get(), "x\\one.rim|y\\two.rim", "abc", 3), "first");
    KDZAddItem(patch.get(), "z\\three", "abcd", 4);
    const Bytes first = SaveAndRead(patch.get(), dir.File("a.kdz"));

    Patch reopened = Open(dir.File("a.kdz"));
    ASSERT_TRUE(reopened);
    EXPECT_STREQ(reopened->szCopyright, "(c) 2026");
    ASSERT_EQ(KDZGetItemCount(reopened.get()), 2u);
    KDZITEM* item = KDZGetFirstItem(reopened.get());
    EXPECT_STREQ(KDZGetItemName(item), "first");
    EXPECT_STREQ(KDZGetItemPath(item), "x\\one.rim|y\\two.rim");
    uint32_t size = 0;
    EXPECT_EQ(std::memcmp(KDZGetItemData(item, &size), "abc", 3), 0);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(SaveAndRead(reopened.get(), dir.File("b.kdz")), first);
}

TEST(PatchWriter, UnnamedPatchTakesTheTargetOnlyAfterASuccessfulSave) {
    TempDir dir;
    Patch patch(KDZCreatePatch(""));
    std::strcpy(patch->szTitle, "T");
    qm::DebugCapture capture;
    EXPECT_FALSE(KDZSavePatch(patch.get(), nullptr));
    EXPECT_EQ(capture.Text(), "ERROR: KDZSavePatch() no filename given!\n");
    EXPECT_FALSE(KDZSavePatch(patch.get(), (dir.Path() + "/missing/x.kdz").c_str()));
    EXPECT_STREQ(KDZGetPath(patch.get()), "");
    EXPECT_TRUE(KDZSavePatch(patch.get(), dir.File("x.kdz").c_str()));
    EXPECT_EQ(KDZGetPath(patch.get()), dir.File("x.kdz"));
    EXPECT_TRUE(KDZSavePatch(patch.get(), nullptr));  // now saves under its own path
}

TEST(PatchWriter, EmptyPatchIsRefused) {
    TempDir dir;
    Patch patch(KDZCreatePatch(dir.File("e.kdz").c_str()));
    qm::DebugCapture capture;
    EXPECT_FALSE(KDZSavePatch(patch.get(), nullptr));
    EXPECT_EQ(capture.Text(), "WARNING: KDZSavePatch() called with empty patch!\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.kdz")));
}

// A save cut short by the file size limit must leave the old file as it was.
TEST(PatchWriter, FailedSaveLeavesTheOldFileIntact) {
    TempDir dir;
    const std::string file = dir.File("keep.kdz");
    Patch small(KDZCreatePatch(nullptr));
    std::strcpy(small->szTitle, "Old");
    const Bytes old = SaveAndRead(small.get(), file);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        KDZPATCH* big = KDZCreatePatch(nullptr);
        const std::vector<unsigned char> data(1 << 20, 'x');
        KDZAddItem(big, "big\\item", data.data(), static_cast<uint32_t>(data.size()));
        _exit(KDZSavePatch(big, file.c_str()) ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

// Reader cases: a file, whether it opens, and what it holds.
struct ReadCase {
    const char* name;
    Bytes file;
    bool opens;
    std::function<void(KDZPATCH*)> check;
};

Bytes Form(const std::vector<Bytes>& chunks) {
    return Container("FORM", chunks);
}

std::vector<ReadCase> ReadCases() {
    const Bytes item = Form({Text("NAME", "n"), Text("PATH", "p\\q"), Chunk("DATA", "xyz")});
    // The second form ends after its "PATH", and the containers' sizes say so.
    const Bytes endsAfterPath = PatchFile({item, Form({Text("PATH", "r\\s")})});
    Bytes hugeData = PatchFile({Form({Text("PATH", "p")})});
    PutTag(hugeData, "DATA");
    PutSize(hugeData, 0xFFFFFFFFu);
    hugeData.insert(hugeData.end(), 20, 'x');
    Bytes hugePath = PatchFile({});
    hugePath = Concat({hugePath, Form({})});
    PutTag(hugePath, "PATH");
    PutSize(hugePath, 0xFFFFFFF0u);
    Bytes cutData = PatchFile({Form({Text("PATH", "p"), Chunk("DATA", "0123456789")})});
    cutData.erase(cutData.end() - 4, cutData.end());
    return {
        {"first LABL wins",
         PatchFile({Container("PROP", {Text("LABL", "one"), Text("LABL", "two")})}), true,
         [](KDZPATCH* p) { EXPECT_STREQ(p->szTitle, "one"); }},
        {"texts accepted inside an item form",
         PatchFile({Form({Text("AUTH", "me"), Text("PATH", "a"), Chunk("DATA", "d")})}), true,
         [](KDZPATCH* p) {
             EXPECT_STREQ(p->szAuthor, "me");
             EXPECT_EQ(p->dwCount, 1u);
         }},
        {"NAME of 128 bytes kept to 127 characters",
         PatchFile(
             {Form({Chunk("NAME", std::string(128, 'n')), Text("PATH", "a"), Chunk("DATA", "d")})}),
         true, [](KDZPATCH* p) { EXPECT_EQ(std::strlen(p->lpFirst->szName), 127u); }},
        {"NAME of 129 bytes fails",
         PatchFile(
             {Form({Chunk("NAME", std::string(129, 'n')), Text("PATH", "a"), Chunk("DATA", "d")})}),
         false, nullptr},
        {"text of 257 bytes fails", PatchFile({Chunk("ANNO", std::string(257, 'a'))}), false,
         nullptr},
        {"zero-size chunk fails", PatchFile({Chunk("JUNK", "")}), false, nullptr},
        {"wrong magic fails", Concat({Chunk("QMRX", "KDZ1")}), false, nullptr},
        {"wrong type fails", Container("QMRK", {}, "KDZ2"), false, nullptr},
        {"DATA outside a form is skipped",
         PatchFile({Chunk("DATA", "loose"), Form({Text("PATH", "a"), Chunk("DATA", "d")})}), true,
         [](KDZPATCH* p) {
             ASSERT_EQ(p->dwCount, 1u);
             EXPECT_EQ(p->lpFirst->dwSize, 1u);
         }},
        {"odd unknown chunk skipped with its pad",
         PatchFile({Chunk("JUNK", "odd"), Text("LABL", "after")}), true,
         [](KDZPATCH* p) { EXPECT_STREQ(p->szTitle, "after"); }},
        {"foreign form skipped whole",
         PatchFile({Container("FORM", {Text("PATH", "a"), Chunk("DATA", "d")}, "XXXX"),
                    Text("VERS", "2")}),
         true,
         [](KDZPATCH* p) {
             EXPECT_EQ(p->dwCount, 0u);
             EXPECT_STREQ(p->szVersion, "2");
         }},
        {"form ending after PATH drops the unfinished item", endsAfterPath, true,
         [](KDZPATCH* p) {
             ASSERT_EQ(p->dwCount, 1u);
             EXPECT_STREQ(p->lpFirst->szName, "n");
             EXPECT_EQ(p->lpFirst->lpNext, nullptr);
         }},
        {"DATA cut off by the end of the file fails", cutData, false, nullptr},
        {"DATA claiming 4 GiB in a small file fails", hugeData, false, nullptr},
        {"PATH claiming 4 GiB in a small file fails", hugePath, false, nullptr},
        {"header only", Container("QMRK", {}), true,
         [](KDZPATCH* p) { EXPECT_EQ(p->dwCount, 0u); }},
    };
}

TEST(PatchReader, Cases) {
    TempDir dir;
    for (const ReadCase& c : ReadCases()) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.File("case.kdz");
        WriteFile(file, c.file);
        qm::DebugCapture capture;
        Patch patch = Open(file);
        EXPECT_EQ(patch != nullptr, c.opens);
        if (patch) {
            EXPECT_EQ(capture.Text(), "");
            EXPECT_EQ(KDZGetPath(patch.get()), file);
            if (c.check)
                c.check(patch.get());
        } else {
            // The known line, then one that names the cause.
            const std::string text = capture.Text();
            EXPECT_EQ(text.substr(0, std::strlen(kOpenFailed)), kOpenFailed);
            EXPECT_EQ(text.find("ERROR: KDZOpenPatch() ", std::strlen(kOpenFailed)),
                      std::strlen(kOpenFailed))
                << text;
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
        }
    }
}

// A patch cut anywhere after its header claims, in its outer chunks, more bytes than the file
// holds: it is refused, never read as the smaller patch of the items before the cut.
TEST(PatchReader, FilesCutOffAreRefusedAndSaySo) {
    TempDir dir;
    Patch patch(KDZCreatePatch(nullptr));
    std::strcpy(patch->szTitle, "Cut");
    KDZAddItem(patch.get(), "a\\b", "12345", 5);
    KDZAddItem(patch.get(), "c\\d", "1234", 4);
    KDZAddItem(patch.get(), "e\\f", "1234567", 7);  // odd: the file ends in a pad byte
    const Bytes whole = SaveAndRead(patch.get(), dir.File("whole.kdz"));
    // The offsets where each item form starts: a cut there leaves complete forms before it.
    std::vector<std::size_t> formStarts;
    for (std::size_t at = 24; at + 12 <= whole.size(); ++at) {
        if (Str(whole, at, 4) == "FORM" && Str(whole, at + 8, 4) == "KDZ1") {
            formStarts.push_back(at);
        }
    }
    ASSERT_EQ(formStarts.size(), 3u);
    for (std::size_t cut : {formStarts[1], formStarts[2], whole.size() - 6, std::size_t{30}}) {
        SCOPED_TRACE(cut);
        const std::string file = dir.File("cut.kdz");
        WriteFile(file, Bytes(whole.begin(), whole.begin() + cut));
        qm::DebugCapture capture;
        EXPECT_EQ(Open(file), nullptr);
        EXPECT_EQ(capture.Text(), std::string(kOpenFailed) +
                                      "ERROR: KDZOpenPatch() the file is cut off: a chunk claims "
                                      "more bytes than it holds\n");
    }
    // Only the last pad byte missing: the file is whole.
    const std::string file = dir.File("nopad.kdz");
    WriteFile(file, Bytes(whole.begin(), whole.end() - 1));
    Patch opened = Open(file);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->dwCount, 3u);
}

TEST(PatchReader, DamagedFilesNameTheCause) {
    TempDir dir;
    struct Case {
        const char* name;
        Bytes file;
        const char* cause;
    } cases[] = {
        {"wrong magic", Container("QMRX", {}), "bad magic: the file is not a patch"},
        {"chunk of size 0", PatchFile({Chunk("JUNK", "")}), "bad size: a chunk of size 0"},
        {"long NAME",
         PatchFile(
             {Form({Chunk("NAME", std::string(129, 'n')), Text("PATH", "a"), Chunk("DATA", "d")})}),
         "bad size: a NAME chunk of more than 128 bytes"},
        {"long text", PatchFile({Chunk("ANNO", std::string(257, 'a'))}),
         "bad size: a text chunk of more than 256 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.File("bad.kdz");
        WriteFile(file, c.file);
        qm::DebugCapture capture;
        EXPECT_EQ(Open(file), nullptr);
        EXPECT_EQ(capture.Text(),
                  std::string(kOpenFailed) + "ERROR: KDZOpenPatch() " + c.cause + "\n");
    }
}

TEST(PatchReader, MissingFileAndEmptyName) {
    qm::DebugCapture capture;
    EXPECT_EQ(KDZOpenPatch(nullptr), nullptr);
    EXPECT_EQ(KDZOpenPatch(""), nullptr);
    EXPECT_EQ(capture.Text(), "");
    EXPECT_EQ(KDZOpenPatch("/nonexistent/dir/x.kdz"), nullptr);
    EXPECT_EQ(capture.Text(), "WARNING: KDZOpenPatch() failed to open Patch\n");
}

// Hostile input: every prefix of a valid patch and random bytes give null or a sound patch.
TEST(PatchReader, PrefixesAndRandomBytesNeverCrash) {
    TempDir dir;
    const std::string file = dir.File("fuzz.kdz");
    Patch patch(KDZCreatePatch(nullptr));
    std::strcpy(patch->szTitle, "Fuzz");
    std::strcpy(patch->szCopyright, "c");
    KDZSetItemName(KDZAddItem(patch.get(), "a\\b|c\\d", "12345", 5), "name");
    KDZAddItem(patch.get(), "e\\f", "123456", 6);
    const Bytes valid = SaveAndRead(patch.get(), file);

    auto check = [&](const Bytes& bytes) {
        WriteFile(file, bytes);
        Patch opened = Open(file);
        if (!opened)
            return;
        uint32_t count = 0;
        for (KDZITEM* item = KDZGetFirstItem(opened.get()); item != nullptr;
             item = KDZGetNextItem(item)) {
            ++count;
            ASSERT_NE(item->lpData, nullptr);
            EXPECT_LT(std::strlen(item->szName), 128u);
        }
        EXPECT_EQ(count, KDZGetItemCount(opened.get()));
        EXPECT_LT(std::strlen(opened->szTitle), 256u);
    };
    for (std::size_t length = 0; length <= valid.size(); ++length) {
        check(Bytes(valid.begin(), valid.begin() + length));
    }
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes = valid;
        for (int flips = 0; flips < 4; ++flips) {
            bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
        }
        check(bytes);
        Bytes noise(12 + random() % 200);
        for (auto& byte : noise)
            byte = static_cast<unsigned char>(random());
        std::memcpy(noise.data(), "QMRK\0\0\0\0KDZ1", 12);
        check(noise);
    }
}

}  // namespace
