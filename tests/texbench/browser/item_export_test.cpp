// Export of list rows: the names the dialog and the targets take, and the files written, read
// back with the picture readers.
#include "texbench/browser/item_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "suite/qt/qt_picture_codec.h"
#include "tests/support/files.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/imaging/bmp_image.h"

namespace texbench {
namespace {

using browser_test::Bytes;
using browser_test::Game;
using suite::ItemKind;

TEST(ItemExportNames, TargetsAndDialogNamesTakeTheChosenTypesExtension) {
    const struct {
        const char* what;
        ExportChoice choice;
        bool exactPath;
        const char* itemPath;
        const char* target;
    } cases[] = {
        {"one row: the typed path, its extension forced",
         {"/out/typed.name.x", 3, false},
         true,
         "g\\a.rim",
         "/out/typed.name.bmp"},
        {"several rows: the item's name in the directory",
         {"/out/Selected Files.bmp", 3, false},
         false,
         "g\\menus\\a.rim",
         "/out/a.bmp"},
        {"as stored: the name unchanged", {"/out/x.rim", 1, true}, false, "g\\a.rim", "/out/a.rim"},
        {"a name without extension", {"/out/x", 5, false}, false, "g\\noext", "/out/noext.tga"},
        {"a dot in the directory is no extension",
         {"/out.d/x", 2, false},
         false,
         "noext",
         "/out.d/noext.iff"},
        {"the sixth type, after the five the settings count",
         {"/out/x", 6, false},
         false,
         "g\\a.rim",
         "/out/a.png"},
        {"an index outside the table: raw, the extension removed",
         {"/out/x", 7, false},
         false,
         "g\\a.rim",
         "/out/a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExportTarget(c.choice, c.exactPath, c.itemPath), c.target) << c.what;
    }
    EXPECT_EQ(WithDialogExtension("skin.rim", 1, ItemKind::Sound), "skin.wav");
    EXPECT_EQ(WithDialogExtension("skin.rim", 1, ItemKind::Image), "skin.rim");
    EXPECT_EQ(WithDialogExtension("Selected Files", 4, ItemKind::Image), "Selected Files.dib");
    EXPECT_EQ(WithDialogExtension("a.b.wav", 2, ItemKind::Sound), "a.b.iff");
    EXPECT_EQ(WithDialogExtension("skin.rim", 6, ItemKind::Image), "skin.png");
    EXPECT_STREQ(ExportTextsFor(ItemKind::Sound).title, "Export Sound");
    EXPECT_STREQ(ExportTextsFor(ItemKind::Image).title, "Export Image");
    EXPECT_STREQ(ExportTextsFor(ItemKind::Other).title, "Export");
}

class RecordedProgress : public ExportProgress {
  public:
    void Begin(int count) override { events.push_back("begin " + std::to_string(count)); }
    void ShowItem(const std::string& name) override { events.push_back(name); }
    void Step() override { events.push_back("step"); }
    void End() override { events.push_back("end"); }
    std::vector<std::string> events;
};

class ItemExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Game().Bound()) << Game().BindError();
        Game().Empty();
        out_ = Game().Root() + "/out/";
        std::filesystem::remove_all(out_);
        std::filesystem::create_directories(out_);
        const std::string path = Game().Root() + "/menus.ffl";
        ASSERT_TRUE(browser_test::MakeFastfile(
            path, {{"graphics\\menus\\a.rim", browser_test::Texture(8, 4, false)},
                   {"graphics\\menus\\b.rim", browser_test::Texture(16, 8, false)},
                   {"graphics\\menus\\c.rim", browser_test::Texture(12, 12, true)},
                   {"graphics\\menus\\d.wav", browser_test::Wav(11025, 1, 8, 0.01)}}));
        model_ = std::make_unique<BrowserModel>(Game().Lib(), settings_);
        model_->OpenFromCommandLine("-nosplash " + path);
        model_->BuildTree();
        model_->SelectNode(model_->Tree().Find("graphics\\menus"));
        ASSERT_EQ(model_->Rows().size(), 4u);
    }
    static unsigned WidthOf(const std::string& file) {
        CBmpImage bmp;
        return bmp.LoadFile(file) ? bmp.GetWidth() : 0;
    }

    std::string out_;
    CIniDocument settings_;
    std::unique_ptr<BrowserModel> model_;
    RecordedProgress progress_;
};

TEST_F(ItemExportTest, ThreeRowsAsBitmapsGoToTheDirectoryWithAProgressWindow) {
    qm::ScriptedMessageBoxes boxes;
    const ExportChoice choice{out_ + "Selected Files.bmp", 3, false};
    EXPECT_TRUE(ExportRows(*model_, settings_, choice, std::vector{0, 1, 2}, progress_));
    EXPECT_EQ(WidthOf(out_ + "a.bmp"), 8u);
    EXPECT_EQ(WidthOf(out_ + "b.bmp"), 16u);
    EXPECT_EQ(WidthOf(out_ + "c.bmp"), 12u);
    EXPECT_EQ(progress_.events, (std::vector<std::string>{"begin 3", "a.rim", "step", "b.rim",
                                                          "step", "c.rim", "step", "end"}));
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(ReadInt(settings_, kExportType), 3);
    EXPECT_EQ(ReadText(settings_, kExportPath), out_);
}

TEST_F(ItemExportTest, OneRowGoesToExactlyTheTypedPathWithoutAProgressWindow) {
    qm::ScriptedMessageBoxes boxes;
    EXPECT_TRUE(ExportRows(*model_, settings_, {out_ + "my texture.tga", 3, false}, std::vector{1},
                           progress_));
    EXPECT_EQ(WidthOf(out_ + "my texture.bmp"), 16u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out_), {}), 1);
    EXPECT_TRUE(progress_.events.empty());

    // As stored: the item's bytes unchanged.
    EXPECT_TRUE(
        ExportRows(*model_, settings_, {out_ + "whole.rim", 1, false}, std::vector{2}, progress_));
    const FFLITEM* item = model_->Rows()[2].item;
    EXPECT_EQ(qm_test::ReadFile(out_ + "whole.rim"),
              Bytes(item->lpData, item->lpData + item->dwSize));
}

TEST_F(ItemExportTest, PngGoesThroughTheProgramsPictureCodec) {
    qm::ScriptedMessageBoxes boxes;
    // Without one (a program built without Qt) the export fails and says so.
    EXPECT_FALSE(
        ExportRows(*model_, settings_, {out_ + "a.png", 6, false}, std::vector{0}, progress_));
    EXPECT_FALSE(std::filesystem::exists(out_ + "a.png"));
    suite::QtPictureCodec codec;
    EXPECT_TRUE(ExportRows(*model_, settings_, {out_ + "a.png", 6, false}, std::vector{0},
                           progress_, &codec));
    const Bytes png = qm_test::ReadFile(out_ + "a.png");
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(Bytes(png.begin() + 1, png.begin() + 4), (Bytes{'P', 'N', 'G'}));
    EXPECT_EQ(png[19], 8) << "the PNG is 8 pixels wide";
    EXPECT_EQ(ReadInt(settings_, kExportType), 6);
}

TEST_F(ItemExportTest, AFailedItemIsSaidOnceAtTheEndAndTheOthersAreWritten) {
    qm::ScriptedMessageBoxes boxes;
    // The sound has no picture to write as a bitmap.
    EXPECT_FALSE(ExportRows(*model_, settings_, {out_ + "All Files.bmp", 3, true}, {}, progress_));
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, "Failed to export one or more files!");
    EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Error);
    EXPECT_EQ(progress_.events.front(), "begin 4");
    EXPECT_EQ(progress_.events.back(), "end");
    EXPECT_EQ(WidthOf(out_ + "c.bmp"), 12u);
    EXPECT_FALSE(std::filesystem::exists(out_ + "d.bmp"));
}

}  // namespace
}  // namespace texbench
