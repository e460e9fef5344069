// Find in the properties dialogs: the target rows, the search over the game's Fastfiles with
// its category rule and its one match per Fastfile, and what the user is told, on the demo
// game and on Fastfiles made beside it.
#include <gtest/gtest.h>

#include <memory>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/fastfile_search.h"
#include "patchbench/engine/target_paths.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "tests/support/files.h"
#include "tests/support/private_game.h"

namespace {

using namespace patchbench;
using qm::MessageBoxIcon;
using Rows = std::vector<std::string>;

TEST(PatchBenchTargetRows, BarsAroundAndBetweenThePaths) {
    const struct {
        const char* list;
        Rows rows;
    } cases[] = {
        {"|a\\b.rim||", {"a\\b.rim"}},
        {"graphics\\a.rim|graphics\\b.rim|", {"graphics\\a.rim", "graphics\\b.rim"}},
        {"a||b", {"a", "", "b"}},  // an empty path between two bars is a row of its own
        {"|||", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitTargetPaths(c.list), c.rows) << c.list;
    }
}

TEST(PatchBenchTargetRows, SearchedNameIsTheFirstPathsFilePart) {
    const struct {
        const char* list;
        const char* name;
    } cases[] = {
        {"||graphics\\x\\wall.rim|sound\\y\\other.wav|", "wall.rim"},
        {"wall.rim|a\\b.rim", "wall.rim"},
        {"graphics\\x\\|a\\b.rim", ""},
        {"|", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SearchedFileName(c.list), c.name) << c.list;
    }
}

// Counts what the search window is shown, to check its range against the steps taken.
class CountingProgress : public SearchProgress {
  public:
    void Begin(int steps) override { range = steps; }
    void Show(const std::string& entryPath) override { shown.push_back(entryPath); }
    void Step() override { ++steps; }
    void End() override { ended = true; }

    int range = -1;
    int steps = 0;
    bool ended = false;
    Rows shown;
};

// One demo game for the whole suite: PackLib takes the Fastfile directory from the registry
// once, when it is loaded, so the game is made first. Beside the demo game's Fastfiles the
// suite writes more that hold copies of its items, and a database of its own that lists them.
class PatchBenchFind : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        game_ = std::make_unique<qm_test::PrivateGame>();
        ASSERT_TRUE(game_->Made()) << game_->Error();
        packLib_ = std::make_unique<qm::LibraryBinding<PACKLIBEXPORT>>();
        std::string error;
        ASSERT_TRUE(packLib_->Bind("PackLib.dll", "PackLibInit", &error)) << error;
        // The first copy of skin.rim in letters of another case, then a second one in the same
        // Fastfile that must not be taken.
        WriteFastfile("Copies.ffl", {"graphics\\Copies\\SKIN.RIM", "graphics\\Copies\\b\\skin.rim",
                                     "sound\\Copies\\beep.wav"});
        WriteFastfile("Textures.ffl", {"textures\\skin.rim"});
        qm_test::WriteText(game_->Fastfiles() + "/Broken.ffl", "not a Fastfile at all");
    }
    static void TearDownTestSuite() {
        packLib_.reset();
        game_.reset();
    }
    static const PACKLIBEXPORT& Lib() { return packLib_->Record(); }

    static void WriteFastfile(const std::string& name, const Rows& itemPaths) {
        FFLARCHIVE* archive = Lib().FFLCreateArchive(name.c_str());
        ASSERT_NE(archive, nullptr);
        const unsigned char data[] = "LIST\0\0\0\0ILBM";
        for (const std::string& path : itemPaths) {
            ASSERT_NE(Lib().FFLAddItem(archive, path.c_str(), data, sizeof data), nullptr);
        }
        const std::string file = game_->Fastfiles() + "/" + name;
        EXPECT_TRUE(Lib().FFLSaveArchive(archive, file.c_str()));
        Lib().FFLCloseArchive(archive);
    }

    // A database of the given entries (path, Fastfile), in order; closed when the test ends.
    FFLDB* Database(const std::vector<std::pair<const char*, const char*>>& entries) {
        FFLDB* db = Lib().FFLCreateDatabase(nullptr);
        for (const auto& [path, file] : entries) {
            Lib().FFLAddDbItem(db, path, file);
        }
        databases_.push_back(db);
        return db;
    }
    FFLDB* DemoDatabase() {
        FFLDB* db = Lib().FFLOpenDatabase(nullptr);
        databases_.push_back(db);
        return db;
    }
    void TearDown() override {
        for (FFLDB* db : databases_) {
            Lib().FFLCloseDatabase(db);
        }
    }

    inline static std::unique_ptr<qm_test::PrivateGame> game_;
    inline static std::unique_ptr<qm::LibraryBinding<PACKLIBEXPORT>> packLib_;
    std::vector<FFLDB*> databases_;
};

TEST_F(PatchBenchFind, TexturesSearchTheGraphicsEntriesOneMatchEach) {
    FFLDB* db = Database({{"graphics\\Aliens", "Aliens.ffl"},
                          {"textures\\skin", "Textures.ffl"},  // not "graphics": not searched
                          {"GRAPHICS\\Copies", "Copies.ffl"},
                          {"graphics\\Broken", "Broken.ffl"},  // cannot be parsed: skipped
                          {"graphics\\Gone", "Missing.ffl"},
                          {"sound\\Common", "Common.ffl"}});
    CountingProgress progress;
    EXPECT_EQ(SearchFastfiles(Lib(), db, "Skin.rim", SearchCategory::Textures, progress),
              (Rows{"graphics\\Aliens\\skin.rim", "graphics\\Copies\\SKIN.RIM"}));
    EXPECT_EQ(progress.range, 6);
    EXPECT_EQ(progress.steps, 6);
    EXPECT_TRUE(progress.ended);
    EXPECT_EQ(progress.shown.front(), "graphics\\Aliens");
    EXPECT_EQ(progress.shown.back(), "sound\\Common");
}

TEST_F(PatchBenchFind, SoundsSearchCommonLastAndOnlyOnce) {
    CountingProgress withoutEntry;
    FFLDB* db = Database({{"graphics\\Copies", "Copies.ffl"},
                          {"soundtrack", "Copies.ffl"},  // five letters "sound": searched
                          {"graphics\\Aliens", "Aliens.ffl"}});
    EXPECT_EQ(SearchFastfiles(Lib(), db, "BEEP.wav", SearchCategory::Sounds, withoutEntry),
              (Rows{"sound\\Copies\\beep.wav", "sound\\Common\\beep.wav"}));
    EXPECT_EQ(withoutEntry.range, 4);
    EXPECT_EQ(withoutEntry.steps, 4);
    EXPECT_EQ(withoutEntry.shown.back(), "sound\\Common");

    // The demo game's database names the sound archive itself; it still gives one match.
    CountingProgress demo;
    EXPECT_EQ(SearchFastfiles(Lib(), DemoDatabase(), "beep.wav", SearchCategory::Sounds, demo),
              (Rows{"sound\\Common\\beep.wav"}));
    EXPECT_EQ(demo.steps, demo.range);
}

TEST_F(PatchBenchFind, NewPathsGoToTheTopAndKnownOnesAreOnlyCounted) {
    FFLDB* db = Database({{"graphics\\Aliens", "Aliens.ffl"}, {"graphics\\Copies", "Copies.ffl"}});
    const std::string list = "|graphics\\x\\skin.rim|GRAPHICS\\ALIENS\\SKIN.RIM|";
    Rows rows = SplitTargetPaths(list);
    qm::ScriptedMessageBoxes boxes;
    SearchProgress quiet;
    const FindCounts counts =
        FindOtherTargets(rows, list, SearchCategory::Textures, Lib(), db, quiet);
    EXPECT_EQ(counts.found, 2);
    EXPECT_EQ(counts.added, 1);
    EXPECT_EQ(rows, (Rows{"graphics\\Copies\\SKIN.RIM", "graphics\\x\\skin.rim",
                          "GRAPHICS\\ALIENS\\SKIN.RIM"}));
    const auto asked = boxes.Asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text,
              "2 matching items have been found.\n1 items have been added to the list.");
    EXPECT_EQ(asked[0].caption, kProgramTitle);
    EXPECT_EQ(asked[0].icon, MessageBoxIcon::Information);

    // Found again, everything is known already.
    const FindCounts again =
        FindOtherTargets(rows, list, SearchCategory::Textures, Lib(), db, quiet);
    EXPECT_EQ(again.found, 2);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(rows.size(), 3u);
}

TEST_F(PatchBenchFind, NothingFoundLeavesTheRows) {
    const struct {
        const char* list;
        SearchCategory category;
    } cases[] = {
        {"graphics\\x\\nowhere.rim", SearchCategory::Textures},
        {"graphics\\x\\skin.rim", SearchCategory::Sounds},  // a texture's name among sounds
        {"graphics\\folder\\", SearchCategory::Textures},   // no file name to look for
        {"", SearchCategory::Sounds},
    };
    for (const auto& c : cases) {
        Rows rows = {"a\\b.rim"};
        qm::ScriptedMessageBoxes boxes;
        SearchProgress quiet;
        const FindCounts counts =
            FindOtherTargets(rows, c.list, c.category, Lib(), DemoDatabase(), quiet);
        EXPECT_EQ(counts.found, 0) << c.list;
        EXPECT_EQ(rows, Rows{"a\\b.rim"});
        const auto asked = boxes.Asked();
        ASSERT_EQ(asked.size(), 1u) << c.list;
        EXPECT_EQ(asked[0].text, kNothingFoundText);
        EXPECT_EQ(asked[0].icon, MessageBoxIcon::Information);
    }
}

}  // namespace
