// The properties dialogs' model on the demo game: the rows and what Remove and OK do with
// them, the information of both views, the target lookup with its one-archive cache, and
// playback through the sound service.
#include <gtest/gtest.h>

#include <memory>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/item_information.h"
#include "patchbench/engine/item_properties.h"
#include "platform/byte_order.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "platform/sound.h"
#include "tests/patchbench/editor_fixture.h"
#include "tests/support/private_game.h"
#include "tests/support/wav_builder.h"

namespace {

using namespace patchbench;
using editor_test::Bytes;
using qm::MessageBoxIcon;
using Rows = std::vector<std::string>;

// The WAVE of the lead example: 22050 Hz, 16 bit, mono, RIFF size 44140, byte rate 44100.
Bytes OneSecondWave() {
    return qm_test::MakeWav({1, 1, 22050, 16}, Bytes(44104, 0));
}

TEST(PatchBenchItemInformation, SoundLines) {
    const Bytes stereo = qm_test::MakeWav({1, 2, 44100, 8}, Bytes(44100, 0x80));
    Bytes cut = OneSecondWave();
    cut.resize(35);  // ends before the bits per sample
    Bytes notWave = OneSecondWave();
    notWave[12] = 'X';
    const struct {
        const char* what;
        Bytes data;
        const char* length;  // null: no WAVE for these dialogs
        const char* format;
    } cases[] = {
        {"lead example", OneSecondWave(), "1.0 sec @ 22.050 Hz", "16 Bit (mono)"},
        {"stereo", stereo, "0.5 sec @ 44.100 Hz", "8 Bit (stereo)"},
        {"cut short", cut, nullptr, nullptr},
        {"no format chunk tag", notWave, nullptr, nullptr},
        {"empty", {}, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const auto lines = DescribeSound(c.data);
        if (c.length == nullptr) {
            EXPECT_FALSE(lines) << c.what;
            continue;
        }
        ASSERT_TRUE(lines) << c.what;
        EXPECT_EQ(lines->length, c.length) << c.what;
        EXPECT_EQ(lines->format, c.format) << c.what;
    }
}

TEST(PatchBenchItemInformation, DepthLines) {
    const struct {
        unsigned depth;
        const char* text;
    } cases[] = {
        {0, "4 Bits Per Pixel (16 Colors)"},           {1, "1 Bit Per Pixel (2 Colors)"},
        {2, "4 Bits Per Pixel (16 Colors)"},           {4, "4 Bits Per Pixel (16 Colors)"},
        {5, "8 Bits Per Pixel (256 Colors)"},          {8, "8 Bits Per Pixel (256 Colors)"},
        {9, "16 Bits Per Pixel (65536 Colors)"},       {16, "16 Bits Per Pixel (65536 Colors)"},
        {17, "24 Bits Per Pixel (16 Million Colors)"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(DepthText(c.depth), c.text) << c.depth;
    }
}

// Counts the archives the model opens and closes, by wrapping PackLib's two functions.
struct ArchiveCounts {
    inline static int opened = 0;
    inline static int closed = 0;
    inline static LPFFLOPENARCHIVE open = nullptr;
    inline static LPFFLCLOSEARCHIVE close = nullptr;
    static FFLARCHIVE* FFLAPI Open(const char* file) {
        FFLARCHIVE* archive = open(file);
        opened += archive != nullptr ? 1 : 0;
        return archive;
    }
    static void FFLAPI Close(FFLARCHIVE* archive) {
        ++closed;
        close(archive);
    }
};

bool FFLAPI RefusePath(KDZITEM*, const char*) {
    return false;
}

class PatchBenchProperties : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        game_ = std::make_unique<qm_test::PrivateGame>();
        ASSERT_TRUE(game_->Made()) << game_->Error();
        packLib_ = std::make_unique<qm::LibraryBinding<PACKLIBEXPORT>>();
        std::string error;
        ASSERT_TRUE(packLib_->Bind("PackLib.dll", "PackLibInit", &error)) << error;
        counting_ = packLib_->Record();
        ArchiveCounts::open = counting_.FFLOpenArchive;
        ArchiveCounts::close = counting_.FFLCloseArchive;
        counting_.FFLOpenArchive = &ArchiveCounts::Open;
        counting_.FFLCloseArchive = &ArchiveCounts::Close;
        // A sound kept without a folder, as a target typed by hand names it.
        FFLARCHIVE* common = Lib().FFLOpenArchive("Common.ffl");
        ASSERT_NE(common, nullptr);
        const Bytes wave = OneSecondWave();
        ASSERT_NE(Lib().FFLAddItem(common, "bare.wav", wave.data(),
                                   static_cast<std::uint32_t>(wave.size())),
                  nullptr);
        ASSERT_TRUE(Lib().FFLSaveArchive(common, nullptr));
        Lib().FFLCloseArchive(common);
        database_ = Lib().FFLOpenDatabase(nullptr);
        ASSERT_NE(database_, nullptr);
    }
    static void TearDownTestSuite() {
        Lib().FFLCloseDatabase(database_);
        packLib_.reset();
        game_.reset();
    }
    static const PACKLIBEXPORT& Lib() { return packLib_->Record(); }

    // The data of a demo game item, read through the database.
    static Bytes GameItem(const std::string& path) {
        FFLDBITEM* entry = Lib().FFLFindDbItem(database_, path.c_str(), nullptr);
        EXPECT_NE(entry, nullptr) << path;
        FFLARCHIVE* archive = Lib().FFLOpenArchive(Lib().FFLGetDbItemFile(entry));
        FFLITEM* item = Lib().FFLFindItem(archive, path.c_str(), false);
        EXPECT_NE(item, nullptr) << path;
        Bytes data(item->lpData, item->lpData + item->dwSize);
        Lib().FFLCloseArchive(archive);
        return data;
    }

    void SetUp() override {
        patch_ = editor_test::PatchLib().KDZCreatePatch(nullptr);
        ASSERT_NE(patch_, nullptr);
        ArchiveCounts::opened = ArchiveCounts::closed = 0;
    }
    void TearDown() override { editor_test::PatchLib().KDZClosePatch(patch_); }

    KDZITEM* Item(const char* targets, const Bytes& data, const char* name = "") {
        KDZITEM* item = editor_test::PatchLib().KDZAddItem(patch_, targets, data.data(),
                                                           static_cast<std::uint32_t>(data.size()));
        editor_test::PatchLib().KDZSetItemName(item, name);
        return item;
    }
    std::unique_ptr<ItemProperties> Open(KDZITEM* item,
                                         const PATCHLIBEXPORT& patchLib = editor_test::PatchLib()) {
        const auto kind = PropertiesKindOf(item);
        EXPECT_TRUE(kind);
        return std::make_unique<ItemProperties>(patchLib, GameAccess{&counting_, database_}, item,
                                                kind.value_or(PropertiesKind::Texture));
    }

    inline static std::unique_ptr<qm_test::PrivateGame> game_;
    inline static std::unique_ptr<qm::LibraryBinding<PACKLIBEXPORT>> packLib_;
    inline static PACKLIBEXPORT counting_{};
    inline static FFLDB* database_ = nullptr;
    KDZPATCH* patch_ = nullptr;
};

TEST_F(PatchBenchProperties, KindDecidesTheDialog) {
    EXPECT_EQ(PropertiesKindOf(Item("a.rim", editor_test::Texture())), PropertiesKind::Texture);
    EXPECT_EQ(PropertiesKindOf(Item("a.wav", editor_test::Sound())), PropertiesKind::Sound);
    EXPECT_FALSE(PropertiesKindOf(Item("a.txt", Bytes(40, 'x'))));
    EXPECT_FALSE(PropertiesKindOf(nullptr));
}

TEST_F(PatchBenchProperties, RowsRemoveAndOk) {
    KDZITEM* single = Item("|a\\b.rim||", editor_test::Texture(), "Wall");
    auto model = Open(single);
    EXPECT_EQ(model->Caption(), "Wall");
    EXPECT_EQ(model->Rows(), Rows{"a\\b.rim"});
    EXPECT_EQ(model->Selected(), 0);
    EXPECT_TRUE(model->CanRemove());
    EXPECT_TRUE(model->CanAccept());
    model->Remove();
    EXPECT_TRUE(model->Rows().empty());
    EXPECT_FALSE(model->CanAccept());
    EXPECT_FALSE(model->CanRemove());
    {
        qm::ScriptedMessageBoxes boxes;
        EXPECT_EQ(model->Accept(), AcceptOutcome::StayOpen);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kNoTargetPathText);
        EXPECT_EQ(boxes.Asked()[0].icon, MessageBoxIcon::Information);
    }
    EXPECT_STREQ(single->lpszPath, "|a\\b.rim||");  // only a successful OK changes the item

    // Remove takes the selected row; the one after it, else the last, is selected next.
    KDZITEM* three = Item("x\\1.wav|x\\2.wav|x\\3.wav", editor_test::Sound());
    model = Open(three);
    EXPECT_EQ(model->Caption(), kSoundPropertiesCaption);
    model->Select(1);
    model->Remove();
    EXPECT_EQ(model->Rows(), (Rows{"x\\1.wav", "x\\3.wav"}));
    EXPECT_EQ(model->Selected(), 1);
    model->Remove();
    EXPECT_EQ(model->Selected(), 0);
    EXPECT_EQ(model->Accept(), AcceptOutcome::Accepted);
    EXPECT_STREQ(three->lpszPath, "x\\1.wav");
}

TEST_F(PatchBenchProperties, TargetsThatCannotBeStoredCancel) {
    PATCHLIBEXPORT refusing = editor_test::PatchLib();
    refusing.KDZSetItemPath = &RefusePath;
    auto model = Open(Item("a\\b.rim", editor_test::Texture()), refusing);
    qm::ScriptedMessageBoxes boxes;
    EXPECT_EQ(model->Accept(), AcceptOutcome::Cancelled);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kSetTargetsFailedText);
    EXPECT_EQ(boxes.Asked()[0].icon, MessageBoxIcon::Error);
}

TEST_F(PatchBenchProperties, TextureViewsShowThePatchItemAndTheGamesItem) {
    // The patch brings the portrait (40 x 30, 8 bits) for the skin's place.
    const Bytes portrait = GameItem("graphics\\Marine\\portrait.rim");
    auto model = Open(Item("graphics\\Aliens\\skin.rim|graphics\\Nowhere\\x.rim", portrait));
    EXPECT_EQ(model->InfoLine1(), "Width: 40   Height: 30");
    EXPECT_EQ(model->InfoLine2(), "8 Bits Per Pixel (256 Colors)");
    ASSERT_NE(model->Picture(), nullptr);
    EXPECT_EQ(model->Picture()->Get()->header.wWidth, 40);
    EXPECT_FALSE(model->HoldsArchive());  // the patch view reads no Fastfile

    model->SetView(PropertiesView::TargetItem);
    EXPECT_EQ(model->InfoLine1(), "Width: 64   Height: 64");
    EXPECT_EQ(model->InfoLine2(), "16 Bits Per Pixel (65536 Colors)");
    ASSERT_NE(model->Picture(), nullptr);
    EXPECT_TRUE(model->HoldsArchive());

    model->Select(1);  // no database entry: nothing to show
    EXPECT_EQ(model->InfoLine1(), "");
    EXPECT_EQ(model->InfoLine2(), "");
    EXPECT_EQ(model->Picture(), nullptr);
    EXPECT_FALSE(model->HoldsArchive());

    // Damaged texture data shows nothing in the patch view.
    auto broken = Open(Item("graphics\\Aliens\\skin.rim", editor_test::Texture(200)));
    EXPECT_EQ(broken->InfoLine1(), "");
    EXPECT_EQ(broken->Picture(), nullptr);
}

TEST_F(PatchBenchProperties, OneArchiveIsCachedAndClosedWithTheDialog) {
    auto model =
        Open(Item("graphics\\Aliens\\skin.rim|GRAPHICS\\ALIENS\\SKIN.RIM|"
                  "graphics\\Aliens\\Queen\\crest.rim|graphics\\Menus\\title.rim",
                  editor_test::Texture()));
    model->SetView(PropertiesView::TargetItem);
    model->SetView(PropertiesView::TargetItem);  // the same path again: the cached item
    model->Select(1);                            // the same path in other letters
    EXPECT_EQ(ArchiveCounts::opened, 1);
    EXPECT_EQ(ArchiveCounts::closed, 0);
    model->Select(2);  // another item, even in the same Fastfile, opens afresh
    EXPECT_EQ(ArchiveCounts::opened, 2);
    EXPECT_EQ(ArchiveCounts::closed, 1);
    model->Select(3);
    EXPECT_EQ(model->InfoLine1(), "Width: 96   Height: 48");
    model.reset();
    EXPECT_EQ(ArchiveCounts::opened, 3);
    EXPECT_EQ(ArchiveCounts::closed, 3);
}

TEST_F(PatchBenchProperties, SoundTargetsWithoutAFolderAreInTheSoundArchive) {
    auto model = Open(Item("bare.wav|sound\\Common\\chirp.wav|sound\\Common\\nothing.wav",
                           editor_test::Sound(30)));
    EXPECT_FALSE(model->CanPlay());  // the patch's own data is cut short
    model->SetView(PropertiesView::TargetItem);
    EXPECT_EQ(model->InfoLine1(), "1.0 sec @ 22.050 Hz");
    EXPECT_EQ(model->InfoLine2(), "16 Bit (mono)");
    EXPECT_TRUE(model->CanPlay());
    model->Select(1);  // through the database's sound entry
    EXPECT_EQ(model->InfoLine2(), "16 Bit (mono)");
    EXPECT_TRUE(model->CanPlay());
    model->Select(2);
    EXPECT_EQ(model->InfoLine1(), "");
    EXPECT_FALSE(model->CanPlay());
}

TEST_F(PatchBenchProperties, PlayStopLoopAndDoubleClick) {
    qm::RecordingSoundOutput output;
    const Bytes hiss = GameItem("sound\\Common\\hiss.wav");  // 22050 Hz stereo
    auto model = Open(Item("sound\\Common\\alarm.wav|sound\\Common\\beep.wav", hiss));
    model->Play();
    ASSERT_NE(output.Current(), nullptr);
    EXPECT_EQ(output.Current()->format.samplesPerSecond, 22050u);
    EXPECT_FALSE(output.CurrentLoops());
    model->SetLoop(true);
    model->Play();
    EXPECT_TRUE(output.CurrentLoops());
    model->Stop();
    EXPECT_EQ(output.Current(), nullptr);
    model->Play();
    model->SetLoop(false);  // clearing the loop ends playback
    EXPECT_EQ(output.Current(), nullptr);

    // A double click shows and plays that row's target, here the beep (11025 Hz).
    model->ActivateRow(1);
    EXPECT_EQ(model->View(), PropertiesView::TargetItem);
    EXPECT_EQ(model->Selected(), 1);
    ASSERT_NE(output.Current(), nullptr);
    EXPECT_EQ(output.Current()->format.samplesPerSecond, 11025u);
    // The sound plays on from its own copy after the dialog closed its Fastfile.
    model.reset();
    ASSERT_NE(output.Current(), nullptr);
    EXPECT_FALSE(output.Current()->samples.empty());
}

TEST_F(PatchBenchProperties, FindCountsKnownRowsAndKeepsTheSelection) {
    auto model = Open(
        Item("graphics\\x\\crest.rim|graphics\\Aliens\\Queen\\CREST.RIM", editor_test::Texture()));
    model->Select(1);
    qm::ScriptedMessageBoxes boxes;
    SearchProgress quiet;
    const FindCounts counts = model->Find(quiet);
    EXPECT_EQ(counts.found, 1);
    EXPECT_EQ(counts.added, 0);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text,
              "1 matching items have been found.\n0 items have been added to the list.");

    auto sound = Open(Item("sound\\x\\hum.wav", editor_test::Sound()));
    const FindCounts added = sound->Find(quiet);
    EXPECT_EQ(added.added, 1);
    EXPECT_EQ(sound->Rows(), (Rows{"sound\\Common\\hum.wav", "sound\\x\\hum.wav"}));
    EXPECT_EQ(sound->Selected(), 1);  // still the row the user had
}

}  // namespace
