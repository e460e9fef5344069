// Editing patches in memory: finding, adding, deleting, setters and handle checks.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "patchlib/patchlib_exports.h"
#include "platform/debug_output.h"
#include "tests/patchlib/patch_fixture.h"

namespace {

struct PatchCloser {
    void operator()(KDZPATCH* patch) const { KDZClosePatch(patch); }
};
using Patch = std::unique_ptr<KDZPATCH, PatchCloser>;

TEST(PatchFind, AnyPathMatchesTheStartOfEveryListedPath) {
    Patch patch(KDZCreatePatch(nullptr));
    KDZAddItem(patch.get(), nullptr, "x", 1);  // no list: never matches
    KDZITEM* joined = KDZAddItem(patch.get(), "tex\\a.rim|Snd\\Roar.wav", "x", 1);
    KDZITEM* exact = KDZAddItem(patch.get(), "snd\\roar", "x", 1);

    EXPECT_EQ(KDZFindItem(patch.get(), "SND\\ROAR", true), joined);
    EXPECT_EQ(KDZFindItem(patch.get(), "a.rim", true), nullptr);  // not at a list position
    EXPECT_EQ(KDZFindItem(patch.get(), "snd\\ROAR", false), exact);
    EXPECT_EQ(KDZFindItem(patch.get(), "TEX\\A.RIM|snd\\roar.wav", false), joined);
    EXPECT_EQ(KDZFindItem(patch.get(), "tex\\a.rim", false), nullptr);

    qm::DebugCapture capture;
    EXPECT_EQ(KDZFindItem(patch.get(), "", true), nullptr);
    EXPECT_EQ(capture.Text(), "WARNING: KDZFindItem() called with invalid parameter!\n");
}

TEST(PatchItems, AddKeepsOrderAndDeleteUnlinks) {
    Patch patch(KDZCreatePatch("p.kdz"));
    KDZITEM* a = KDZAddItem(patch.get(), "a", "1", 1);
    KDZITEM* b = KDZAddItem(patch.get(), "b", nullptr, 5);  // no data without a pointer
    KDZITEM* c = KDZAddItem(patch.get(), "", "3", 1);
    ASSERT_EQ(KDZGetItemCount(patch.get()), 3u);
    EXPECT_EQ(KDZGetFirstItem(patch.get()), a);
    EXPECT_EQ(KDZGetNextItem(a), b);
    EXPECT_EQ(b->dwSize, 0u);
    EXPECT_EQ(KDZGetItemPath(c), nullptr);

    KDZDeleteItem(patch.get(), b);
    EXPECT_EQ(KDZGetNextItem(a), c);
    EXPECT_EQ(KDZGetItemCount(patch.get()), 2u);

    Patch other(KDZCreatePatch(nullptr));
    qm::DebugCapture capture;
    KDZDeleteItem(other.get(), a);
    EXPECT_EQ(capture.Text(),
              "ERROR: KDZDeleteItem() the specified item is NOT in this archive!\n");
    EXPECT_EQ(KDZGetItemCount(patch.get()), 2u);
}

TEST(PatchItems, SettersCopyAndCut) {
    Patch patch(KDZCreatePatch(nullptr));
    KDZITEM* item = KDZAddItem(patch.get(), nullptr, nullptr, 0);
    const std::string longName(200, 'n');
    EXPECT_TRUE(KDZSetItemName(item, longName.c_str()));
    EXPECT_EQ(std::string(KDZGetItemName(item)), longName.substr(0, 127));
    EXPECT_TRUE(KDZSetItemName(item, nullptr));
    EXPECT_STREQ(KDZGetItemName(item), "");

    std::string path = "a|b";
    EXPECT_TRUE(KDZSetItemPath(item, path.c_str()));
    path[0] = 'z';
    EXPECT_STREQ(KDZGetItemPath(item), "a|b");

    unsigned char bytes[3] = {1, 2, 3};
    EXPECT_TRUE(KDZSetItemData(item, bytes, 3));
    bytes[0] = 9;
    uint32_t size = 0;
    const auto* data = static_cast<const unsigned char*>(KDZGetItemData(item, &size));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(KDZGetItemData(item, nullptr), data);
}

struct DiagnosticCase {
    const char* name;
    std::function<void()> call;
    const char* text;
};

TEST(PatchItems, BadArgumentsWriteTheirDiagnostics) {
    Patch patch(KDZCreatePatch(nullptr));
    KDZITEM* item = KDZAddItem(patch.get(), "p", "d", 1);
    const std::string longPath(260, 'p');
    const DiagnosticCase cases[] = {
        {"set path null", [&] { EXPECT_FALSE(KDZSetPath(patch.get(), nullptr)); },
         "WARNING: KDZSetPath() called with invalid parameter!\n"},
        {"set path empty", [&] { EXPECT_FALSE(KDZSetPath(patch.get(), "")); },
         "WARNING: KDZSetPath() called with invalid parameter:\n required: 0 < lpszPath < "
         "MAX_PATH\n"},
        {"set path 260", [&] { EXPECT_FALSE(KDZSetPath(patch.get(), longPath.c_str())); },
         "WARNING: KDZSetPath() called with invalid parameter:\n required: 0 < lpszPath < "
         "MAX_PATH\n"},
        {"set item path empty", [&] { EXPECT_FALSE(KDZSetItemPath(item, "")); },
         "WARNING: KDZSetItemPath() called with invalid parameter:\n required: 0 < lpszPath\n"},
        {"set item path null", [&] { EXPECT_FALSE(KDZSetItemPath(item, nullptr)); },
         "WARNING: KDZSetItemPath() called with invalid parameter!\n"},
        {"set item data zero", [&] { EXPECT_FALSE(KDZSetItemData(item, "x", 0)); },
         "WARNING: KDZSetItemData() called with invalid parameter!\n"},
    };
    for (const DiagnosticCase& c : cases) {
        SCOPED_TRACE(c.name);
        qm::DebugCapture capture;
        c.call();
        EXPECT_EQ(capture.Text(), c.text);
    }
    EXPECT_STREQ(KDZGetItemPath(item), "p");
    EXPECT_EQ(item->dwSize, 1u);
}

// Null, foreign and closed handles fail the same check in every function.
TEST(PatchHandles, NullForeignAndClosedHandlesAreRefused) {
    KDZPATCH foreignPatch{};
    KDZITEM foreignItem{};
    // Made first, so that it cannot take the closed patch's address.
    Patch live(KDZCreatePatch(nullptr));
    KDZPATCH* closed = KDZCreatePatch(nullptr);
    KDZITEM* closedItem = KDZAddItem(closed, "p", "d", 1);
    KDZClosePatch(closed);
    const std::pair<KDZPATCH*, KDZITEM*> handles[] = {
        {nullptr, nullptr}, {&foreignPatch, &foreignItem}, {closed, closedItem}};
    for (const auto& [patch, item] : handles) {
        qm::DebugCapture capture;
        EXPECT_EQ(KDZGetItemCount(patch), 0u);
        EXPECT_EQ(KDZGetPath(patch), nullptr);
        EXPECT_EQ(KDZGetFirstItem(patch), nullptr);
        EXPECT_EQ(KDZGetNextItem(item), nullptr);
        EXPECT_EQ(KDZGetItemName(item), nullptr);
        EXPECT_EQ(KDZGetItemPath(item), nullptr);
        EXPECT_EQ(KDZGetItemData(item, nullptr), nullptr);
        EXPECT_EQ(capture.Text(), "");
        KDZClosePatch(patch);  // does nothing
        EXPECT_FALSE(KDZSavePatch(patch, "/tmp/never.kdz"));
        EXPECT_FALSE(KDZSetPath(patch, "x"));
        EXPECT_FALSE(KDZSetItemName(item, "x"));
        EXPECT_FALSE(KDZSetItemPath(item, "x"));
        EXPECT_FALSE(KDZSetItemData(item, "x", 1));
        EXPECT_EQ(KDZAddItem(patch, "x", "x", 1), nullptr);
        KDZDeleteItem(live.get(), item);
        EXPECT_EQ(KDZFindItem(patch, "x", true), nullptr);
        EXPECT_EQ(capture.Text(),
                  "ERROR: KDZSavePatch() called with invalid parameter!\n"
                  "WARNING: KDZSetPath() called with invalid parameter!\n"
                  "WARNING: KDZSetItemName() called with invalid parameter!\n"
                  "WARNING: KDZSetItemPath() called with invalid parameter!\n"
                  "WARNING: KDZSetItemData() called with invalid parameter!\n"
                  "WARNING: KDZAddItem() called with invalid parameter!\n"
                  "WARNING: KDZDeleteItem() called with invalid parameter!\n"
                  "WARNING: KDZFindItem() called with invalid parameter!\n");
    }
}

// Two programs that read one patch: the second save finds the file changed and keeps it.
TEST(PatchSave, ASaveOverANewerFileFailsAndKeepsIt) {
    patch_test::TempDir dir;
    const std::string path = dir.File("mod.kdz");
    KDZPATCH* made = KDZCreatePatch(path.c_str());
    std::strcpy(made->szTitle, "first");
    ASSERT_TRUE(KDZSavePatch(made, nullptr));
    KDZClosePatch(made);
    KDZPATCH* first = KDZOpenPatch(path.c_str());
    KDZPATCH* second = KDZOpenPatch(path.c_str());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    KDZAddItem(first, "a\\b.rim", "1", 1);
    KDZAddItem(second, "c\\d.rim", "2", 1);
    ASSERT_TRUE(KDZSavePatch(first, nullptr));
    qm::DebugCapture capture;
    EXPECT_FALSE(KDZSavePatch(second, nullptr));
    EXPECT_EQ(capture.Text(),
              "WARNING: KDZSavePatch() failed to open(create) archive\n"
              " the file changed on disk since it was read\n");
    EXPECT_TRUE(KDZSavePatch(first, nullptr));  // its own save is what it compares with now
    KDZClosePatch(first);
    KDZClosePatch(second);
    KDZPATCH* onDisk = KDZOpenPatch(path.c_str());
    ASSERT_NE(onDisk, nullptr);
    EXPECT_STREQ(KDZGetItemPath(KDZGetFirstItem(onDisk)), "a\\b.rim");
    EXPECT_EQ(KDZGetItemCount(onDisk), 1u);
    KDZClosePatch(onDisk);
}

// A name cut to 259 characters would be another file.
TEST(PatchSave, NamesThatDoNotFitAreRefused) {
    patch_test::TempDir dir;
    const std::string tooLong = dir.File(std::string(255, 'n')) + "/" + std::string(10, 'x');
    qm::DebugCapture capture;
    EXPECT_EQ(KDZCreatePatch(tooLong.c_str()), nullptr);
    EXPECT_EQ(KDZOpenPatch(tooLong.c_str()), nullptr);
    KDZPATCH* patch = KDZCreatePatch("short.kdz");
    std::strcpy(patch->szTitle, "t");
    EXPECT_FALSE(KDZSavePatch(patch, tooLong.c_str()));
    KDZClosePatch(patch);
    EXPECT_EQ(capture.Text(),
              "ERROR: KDZCreatePatch() called with invalid parameter!\n"
              " required: lpszPath < MAX_PATH\n"
              "WARNING: KDZOpenPatch() called with invalid parameter!\n"
              " required: lpszFile < MAX_PATH\n"
              "ERROR: KDZSavePatch() called with invalid parameter!\n"
              " required: lpszFile < MAX_PATH\n");
}

TEST(PatchBuffer, SizeLimitsInKilobytes) {
    EXPECT_EQ(KDZGetBufferSize(), 1024u);
    EXPECT_FALSE(KDZSetBufferSize(3));
    EXPECT_FALSE(KDZSetBufferSize(65537));
    EXPECT_EQ(KDZGetBufferSize(), 1024u);
    EXPECT_TRUE(KDZSetBufferSize(4));
    EXPECT_EQ(KDZGetBufferSize(), 4u);
    EXPECT_TRUE(KDZSetBufferSize(65536));
    EXPECT_EQ(KDZGetBufferSize(), 65536u);
    EXPECT_TRUE(KDZSetBufferSize(1024));
}

}  // namespace
