// Import, drop and paste into the demo game's Fastfiles: where the new items go, which
// questions are asked and what their answers do, and what the saved Fastfile holds afterwards.
#include "texbench/browser/item_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "suite/transfer/transfer_block.h"
#include "tests/texbench/browser/import_fixture.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/browser/image_file_info.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/rim_image.h"
#include "texbench/imaging/tga_image.h"

namespace texbench {
namespace {

using import_test::ImportTest;
using import_test::WritePicture;
using qm::MessageBoxResult;
using Bytes = std::vector<unsigned char>;

constexpr const char* kAliens = "Aliens.ffl";
const std::string kReplaceWall =
    "The File 'wall.rim' already exists in the archive.\nDo you want to replace it with the file "
    "you selected?";

bool Contains(const std::vector<std::string>& list, const std::string& entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}

CRimArchive ParsedTexture(const Bytes& bytes) {
    CRimArchive texture;
    EXPECT_TRUE(texture.Parse(std::span(bytes.data(), bytes.size())));
    return texture;
}

TEST(ImportChoices, DialogReaderAndDropEndings) {
    EXPECT_EQ(ImportTextsFor(suite::ItemKind::Sound).dialog, ImportDialogKind::Sound);
    EXPECT_STREQ(ImportTextsFor(suite::ItemKind::Sound).title, "Import Sound");
    EXPECT_EQ(ImportTextsFor(suite::ItemKind::Image).dialog, ImportDialogKind::Image);
    EXPECT_STREQ(ImportTextsFor(suite::ItemKind::Image).title, "Import Image");
    EXPECT_EQ(ImportTextsFor(suite::ItemKind::Other).dialog, ImportDialogKind::Plain);
    EXPECT_STREQ(ImportTextsFor(suite::ItemKind::Other).filter,
                 "Rebellion Image File (*.rim)|*.rim|Microsoft PCM Wave (*.wav)|*.wav||||");

    // The plain dialog's second entry is WAV, which must not be read as an IFF picture.
    EXPECT_EQ(ReaderForIndex(2, ImportDialogKind::Plain), ItemReader::Raw);
    EXPECT_EQ(ReaderForIndex(2, ImportDialogKind::Sound), ItemReader::Iff);
    const struct {
        int index;
        ItemReader reader;
    } byIndex[] = {{1, ItemReader::Raw}, {2, ItemReader::Iff}, {3, ItemReader::Bmp},
                   {4, ItemReader::Bmp}, {5, ItemReader::Tga}, {6, ItemReader::Png},
                   {7, ItemReader::Raw}};
    for (const auto& c : byIndex) {
        EXPECT_EQ(ReaderForIndex(c.index), c.reader) << c.index;
    }

    const struct {
        const char* path;
        std::optional<ItemReader> reader;
    } dropped[] = {{"/a/b.wav", ItemReader::Raw}, {"/a/b.RIM", ItemReader::Raw},
                   {"/a/b.Iff", ItemReader::Iff}, {"/a/b.BMP", ItemReader::Bmp},
                   {"/a/b.tga", ItemReader::Tga}, {"/a/b.dib", std::nullopt},
                   {"/a/b.ilbm", std::nullopt},   {"/a/b.PNG", ItemReader::Png},
                   {"bmp", std::nullopt},         {"/a/b.bmp.txt", std::nullopt}};
    for (const auto& c : dropped) {
        EXPECT_EQ(ReaderForDroppedFile(c.path), c.reader) << c.path;
    }
}

TEST(ImportChoices, ImportPathIsTheDirectoryWithoutItsSeparator) {
    EXPECT_EQ(ImportDirectoryOf("/home/me/pics/wall.bmp"), "/home/me/pics");
    EXPECT_EQ(ImportDirectoryOf("C:\\pics\\wall.bmp"), "C:\\pics");
    EXPECT_EQ(ImportDirectoryOf("wall.bmp"), "wall.bmp");
    EXPECT_EQ(ImportDirectoryOf("\\wall.bmp"), "\\wall.bmp");
}

TEST_F(ImportTest, PictureBecomesATextureBesideTheFirstItemAndIsSelected) {
    Select("graphics\\Aliens");
    const std::string firstItem = SavedPaths(kAliens).front();
    const std::string prefix = FolderPrefix(model_->Lib(), model_->CurrentArchive());
    ASSERT_EQ(prefix, firstItem.substr(0, firstItem.rfind('\\') + 1));

    CBmpImage bmp;
    const std::string wall = files_.File("wall.bmp");
    ASSERT_TRUE(WritePicture(bmp, wall, 24, 16, 1));
    qm::ScriptedMessageBoxes boxes;
    const std::vector<std::string> chosen = {wall};
    const ItemCommandResult result = ImportFiles(*model_, settings_, chosen, 3);

    EXPECT_TRUE(boxes.Asked().empty());
    const std::optional<Bytes> saved = SavedData(kAliens, prefix + "wall.rim");
    ASSERT_TRUE(saved.has_value());
    CRimArchive texture = ParsedTexture(*saved);
    IMAGEDATA image{};
    ASSERT_TRUE(texture.ExportSlot(0, &image));
    EXPECT_EQ(image.header.wWidth, 24);
    EXPECT_EQ(image.header.wHeight, 16);
    ImgFree(&image);
    EXPECT_EQ(ReadInt(settings_, kImportType), 3);
    EXPECT_EQ(ReadText(settings_, kImportPath), files_.Path());
    ASSERT_TRUE(result.listRefilled);
    EXPECT_EQ(RowName(result.focusedRow), "wall.rim");
    EXPECT_EQ(result.selectedRows, std::vector<int>{result.focusedRow});
}

// Importing wall.bmp again finds wall.rim; the answer to "replace?" decides.
TEST_F(ImportTest, ReplaceQuestionDecidesAndCancelStopsTheRest) {
    Select("graphics\\Aliens");
    CBmpImage bmp;
    const std::string wall = files_.File("wall.bmp");
    const std::string other = files_.File("other.bmp");
    ASSERT_TRUE(WritePicture(bmp, wall, 8, 8, 1));
    ASSERT_TRUE(WritePicture(bmp, other, 8, 8, 2));
    {
        qm::ScriptedMessageBoxes boxes;
        ImportFiles(*model_, settings_, std::vector<std::string>{wall}, 3);
    }
    const std::string wallPath = FolderPrefix(model_->Lib(), model_->CurrentArchive()) + "wall.rim";
    const Bytes first = *SavedData(kAliens, wallPath);

    const struct {
        MessageBoxResult answer;
        bool replaced;
        bool otherImported;
    } cases[] = {{MessageBoxResult::Yes, true, true},
                 {MessageBoxResult::No, false, true},
                 {MessageBoxResult::Cancel, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        ASSERT_TRUE(WritePicture(bmp, wall, 8, 8, 9));  // wall.bmp was edited
        const std::size_t before = Saved(kAliens).size();
        qm::ScriptedMessageBoxes boxes({c.answer});
        const std::vector<std::string> chosen = {wall, other};
        ImportFiles(*model_, settings_, chosen, 3);
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{kReplaceWall});
        EXPECT_EQ(*SavedData(kAliens, wallPath) != first, c.replaced);
        EXPECT_EQ(Saved(kAliens).size(), before + (c.otherImported ? 1 : 0));
        // Put things back for the next case.
        ASSERT_TRUE(WritePicture(bmp, wall, 8, 8, 1));
        qm::ScriptedMessageBoxes restore({MessageBoxResult::Yes});
        ImportFiles(*model_, settings_, std::vector<std::string>{wall}, 3);
        if (c.otherImported) {
            model_->Lib().FFLDeleteItem(
                model_->CurrentArchive(),
                model_->Lib().FFLFindItem(model_->CurrentArchive(), "other.rim", true));
            ASSERT_TRUE(model_->SaveCurrentArchive());
        }
    }
}

TEST_F(ImportTest, ANameInAnotherFolderIsReplacedWithoutAskingWhenConfirmIsOff) {
    settings_.SetInt("Settings.UI", "Confirm Replace", 0);
    Select("graphics\\Aliens");
    const std::string crest = "graphics\\Aliens\\Queen\\crest.rim";
    const Bytes before = *SavedData(kAliens, crest);
    const std::size_t count = Saved(kAliens).size();
    CTgaImage tga;
    const std::string file = files_.File("CREST.tga");
    ASSERT_TRUE(WritePicture(tga, file, 32, 32, 5));

    qm::ScriptedMessageBoxes boxes;
    const ItemCommandResult result =
        ImportFiles(*model_, settings_, std::vector<std::string>{file}, 5);

    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(Saved(kAliens).size(), count);  // no new item
    EXPECT_NE(*SavedData(kAliens, crest), before);
    EXPECT_EQ(RowName(result.focusedRow), "crest.rim");
}

// A sound offered to a texture archive, and a texture to the sound archive, ask first.
TEST_F(ImportTest, MixingQuestionSkipsGoesOnOrStops) {
    const std::string wav = files_.File("roar.wav");
    browser_test::WriteBytes(wav, browser_test::Wav(11025, 1, 8, 0.1));
    const std::string rim = files_.File("plate.rim");
    browser_test::WriteBytes(rim, browser_test::Texture(8, 8, false));
    const struct {
        MessageBoxResult answer;
        bool soundStored;
        bool textureStored;
    } cases[] = {{MessageBoxResult::No, false, true},
                 {MessageBoxResult::Yes, true, true},
                 {MessageBoxResult::Cancel, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        SetUp();
        Select("graphics\\Aliens");
        const std::string prefix = FolderPrefix(model_->Lib(), model_->CurrentArchive());
        qm::ScriptedMessageBoxes boxes({c.answer});
        const std::vector<std::string> chosen = {wav, rim};
        ImportFiles(*model_, settings_, chosen, 1);
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{kMixQuestion});
        const std::vector<std::string> paths = SavedPaths(kAliens);
        EXPECT_EQ(Contains(paths, prefix + "roar.wav"), c.soundStored);
        EXPECT_EQ(Contains(paths, prefix + "plate.rim"), c.textureStored);
    }
}

TEST_F(ImportTest, UnreadableFilesSayFailedToImportAndOkGoesOn) {
    Select("graphics\\Aliens");
    const std::string text = files_.File("notes.rim");
    qm_test::WriteText(text, "not a texture, not a sound");
    const std::string shortWav = files_.File("short.wav");
    Bytes header = browser_test::Wav(11025, 1, 8, 0.1);
    header.resize(14);  // "RIFF....WAVEfm": no whole format tag
    browser_test::WriteBytes(shortWav, header);
    const std::string good = files_.File("good.rim");
    browser_test::WriteBytes(good, browser_test::Texture(8, 8, false));
    const std::string missing = files_.File("missing.rim");

    qm::ScriptedMessageBoxes boxes(
        {MessageBoxResult::Ok, MessageBoxResult::Ok, MessageBoxResult::Ok});
    const std::vector<std::string> chosen = {text, shortWav, missing, good};
    const ItemCommandResult result = ImportFiles(*model_, settings_, chosen, 1);
    const auto asked = boxes.Asked();
    ASSERT_EQ(asked.size(), 3u);
    for (const auto& request : asked) {
        EXPECT_EQ(request.text, "Failed to import File.");
        EXPECT_EQ(request.buttons, qm::MessageBoxButtons::OkCancel);
    }
    EXPECT_NE(asked[0].details.find("notes.rim"), std::string::npos);
    EXPECT_EQ(RowName(result.focusedRow), "good.rim");

    // A broken picture read as BMP fails the same way; Cancel stops before the next file.
    const std::string broken = files_.File("broken.bmp");
    qm_test::WriteText(broken, "BM but nothing else");
    const std::string fine = files_.File("fine.bmp");
    CBmpImage bmp;
    ASSERT_TRUE(WritePicture(bmp, fine, 4, 4, 3));
    qm::ScriptedMessageBoxes cancel({MessageBoxResult::Cancel});
    const std::vector<std::string> pictures = {broken, fine};
    const ItemCommandResult stopped = ImportFiles(*model_, settings_, pictures, 3);
    EXPECT_EQ(Texts(cancel), std::vector<std::string>{"Failed to import File."});
    EXPECT_FALSE(stopped.listRefilled);
    EXPECT_FALSE(Contains(SavedPaths(kAliens), "graphics\\Aliens\\fine.rim"));
}

TEST_F(ImportTest, DropGoesByTheLastFourCharacters) {
    Select("graphics\\Aliens");
    const std::string prefix = FolderPrefix(model_->Lib(), model_->CurrentArchive());
    CBmpImage bmp;
    const std::string dib = files_.File("wall.dib");
    ASSERT_TRUE(WritePicture(bmp, dib, 8, 8, 4));
    const std::vector<std::string> before = SavedPaths(kAliens);

    qm::ScriptedMessageBoxes boxes;
    const ItemCommandResult skipped = DropFiles(*model_, settings_, std::vector<std::string>{dib});
    EXPECT_FALSE(skipped.listRefilled);
    EXPECT_FALSE(skipped.beep);
    EXPECT_EQ(SavedPaths(kAliens), before);

    const std::string upper = files_.File("WALL.BMP");
    std::filesystem::copy_file(dib, upper);
    const ItemCommandResult dropped =
        DropFiles(*model_, settings_, std::vector<std::string>{upper});
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_TRUE(Contains(SavedPaths(kAliens), prefix + "WALL.rim"));
    EXPECT_EQ(RowName(dropped.focusedRow), "WALL.rim");
    // A drop leaves the import dialog's settings alone.
    EXPECT_EQ(settings_.GetString("Settings.Import", "Import Path", "<none>"), "<none>");
    EXPECT_EQ(settings_.GetString("Settings.Import", "Import Type", "<none>"), "<none>");
}

TEST_F(ImportTest, DropAndImportWithoutAnArchiveBeep) {
    Select("graphics\\Aliens");
    model_->SelectNode(nullptr);
    ASSERT_EQ(model_->CurrentArchive(), nullptr);
    qm::ScriptedMessageBoxes boxes;
    const std::vector<std::string> files = {files_.File("a.bmp")};
    EXPECT_TRUE(DropFiles(*model_, settings_, files).beep);
    EXPECT_TRUE(ImportFiles(*model_, settings_, files, 3).beep);
    EXPECT_TRUE(boxes.Asked().empty());
}

// A picture that replaces a transparent texture keeps its transparency, its colour and the
// compression of its slots, or a HUD texture would come back opaque.
TEST_F(ImportTest, ReplacingATransparentTextureKeepsItsLook) {
    Select("graphics\\Predator");
    const std::string target = "graphics\\Predator\\Hud\\targeting.rim";
    const Bytes oldBytes = *SavedData("Predator.ffl", target);
    CRimArchive old = ParsedTexture(oldBytes);
    ASSERT_NE(old.GetTransparencyMode(), 0u);

    // The texture exported as a BMP and edited: every pixel value changed.
    IMAGEDATA image{};
    ASSERT_TRUE(old.ExportSlot(0, &image));
    for (std::uint32_t i = 0; i < image.dwPixelBytes; ++i) {
        image.lpPixels[i] = static_cast<std::uint8_t>(~image.lpPixels[i]);
    }
    CBmpImage edited;
    const std::string file = files_.File("targeting.bmp");
    ASSERT_TRUE(edited.ImportFrom(&image) && edited.SaveFile(file));
    ImgFree(&image);

    qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes});
    ImportFiles(*model_, settings_, std::vector<std::string>{file}, 3);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    const Bytes newBytes = *SavedData("Predator.ffl", target);
    EXPECT_NE(newBytes, oldBytes);
    CRimArchive fresh = ParsedTexture(newBytes);
    EXPECT_EQ(fresh.GetTransparencyMode(), old.GetTransparencyMode());
    EXPECT_EQ(fresh.GetTransparentColorWord(), old.GetTransparentColorWord());
    CRimImage oldSlot;
    CRimImage freshSlot;
    ASSERT_TRUE(oldSlot.ParseForm(old.GetSlot(0)));
    ASSERT_TRUE(freshSlot.ParseForm(fresh.GetSlot(0)));
    EXPECT_EQ(freshSlot.GetCompression(), oldSlot.GetCompression());
}

Bytes Block(const std::vector<std::pair<std::string, Bytes>>& items) {
    std::vector<suite::TransferItem> records;
    for (const auto& [path, data] : items) {
        records.push_back({path, std::span(data.data(), data.size())});
    }
    return suite::BuildTransferBlock(records).bytes;
}

TEST_F(ImportTest, PasteAsksBeforeMixingAndStoresBesideTheFirstItem) {
    settings_.SetInt("Settings.UI", "Confirm Replace", 0);
    Select("sound\\Common");
    const std::string prefix = FolderPrefix(model_->Lib(), model_->CurrentArchive());
    const std::string soundFile = demogame::kDemoSoundArchiveFile;
    const Bytes block = Block({{"graphics\\Aliens\\skin.rim", browser_test::Texture(8, 8, false)},
                               {"elsewhere\\growl.wav", browser_test::Wav(11025, 1, 8, 0.1)}});
    const std::size_t before = Saved(soundFile).size();

    // No skips the texture; the sound goes in under the archive's own folder.
    {
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::No});
        const ItemCommandResult result = PasteBlock(*model_, settings_, block);
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{kMixQuestion});
        EXPECT_EQ(Saved(soundFile).size(), before + 1);
        EXPECT_TRUE(Contains(SavedPaths(soundFile), prefix + "growl.wav"));
        EXPECT_EQ(RowName(result.focusedRow), "growl.wav");
    }
    // Yes: the sound Fastfile cannot hold a texture, which is said, not saved.
    {
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes, MessageBoxResult::Ok});
        PasteBlock(*model_, settings_, block);
        EXPECT_EQ(Texts(boxes), (std::vector<std::string>{kMixQuestion, "Failed to import File."}));
        EXPECT_EQ(Saved(soundFile).size(), before + 1);
    }
    // Cancel stops before the sound is stored again.
    {
        const Bytes changed = Block({{"x\\skin.rim", browser_test::Texture(8, 8, false)},
                                     {"x\\growl.wav", browser_test::Wav(22050, 1, 8, 0.1)}});
        const Bytes growl = *SavedData(soundFile, prefix + "growl.wav");
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::Cancel});
        EXPECT_FALSE(PasteBlock(*model_, settings_, changed).listRefilled);
        EXPECT_EQ(*SavedData(soundFile, prefix + "growl.wav"), growl);
    }
}

TEST_F(ImportTest, PasteOfAnEmptyOrDamagedBlockStoresNothing) {
    Select("graphics\\Aliens");
    const std::vector<std::string> before = SavedPaths(kAliens);
    Bytes damaged = Block({{"a\\one.rim", browser_test::Texture(8, 8, false)},
                           {"a\\two.rim", browser_test::Texture(8, 8, false)}});
    damaged.resize(damaged.size() - 1);  // the second record runs past the end
    Bytes notItems(16, 'x');

    const struct {
        const char* what;
        Bytes block;
        std::size_t messages;
    } cases[] = {{"count 0", Block({}), 0}, {"no magic", notItems, 0}, {"cut short", damaged, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        qm::ScriptedMessageBoxes boxes;
        EXPECT_FALSE(PasteBlock(*model_, settings_, c.block).listRefilled);
        EXPECT_EQ(boxes.Asked().size(), c.messages);
        EXPECT_EQ(SavedPaths(kAliens), before);
    }
}

// A record from another program may name anything; a name no item can have is refused.
TEST_F(ImportTest, PasteRefusesNamesNoItemCanHave) {
    Select("graphics\\Aliens");
    const std::vector<std::string> before = SavedPaths(kAliens);
    const Bytes block = Block({{"a\\", browser_test::Texture(8, 8, false)},
                               {"a\\b|c.rim", browser_test::Texture(8, 8, false)}});
    qm::ScriptedMessageBoxes boxes({MessageBoxResult::Ok, MessageBoxResult::Ok});
    PasteBlock(*model_, settings_, block);
    EXPECT_EQ(Texts(boxes),
              (std::vector<std::string>{"Failed to import File.", "Failed to import File."}));
    EXPECT_EQ(SavedPaths(kAliens), before);
}

TEST_F(ImportTest, ImageFileInfoDescribesThePictureByTheChosenReader) {
    CBmpImage bmp;
    const std::string file = files_.File("pic.bmp");
    ASSERT_TRUE(WritePicture(bmp, file, 40, 30, 1));
    const std::optional<ImageFileInfo> info = ExamineImageFile(file, 3, 65536);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->sizeLine, "Width: 40   Height: 30");
    EXPECT_EQ(info->depthLine, "24 Bits Per Pixel (16 Million Colors)");
    EXPECT_FALSE(info->picture.Empty());
    EXPECT_FALSE(ExamineImageFile(file, 2, 65536).has_value());  // not an IFF picture
    EXPECT_FALSE(ExamineImageFile(file, 6, 65536).has_value());
    EXPECT_FALSE(ExamineImageFile("", 3, 65536).has_value());

    const std::string rim = files_.File("tex.rim");
    browser_test::WriteBytes(rim, browser_test::Texture(16, 8, false));
    const std::optional<ImageFileInfo> slot = ExamineImageFile(rim, 1, 65536);
    ASSERT_TRUE(slot.has_value());
    EXPECT_EQ(slot->sizeLine, "Width: 16   Height: 8");

    const struct {
        unsigned bits;
        const char* text;
    } depths[] = {{1, "1 Bit Per Pixel (2 Colors)"},
                  {2, "4 Bits Per Pixel (16 Colors)"},
                  {4, "4 Bits Per Pixel (16 Colors)"},
                  {5, "8 Bits Per Pixel (256 Colors)"},
                  {8, "8 Bits Per Pixel (256 Colors)"},
                  {9, "16 Bits Per Pixel (65536 Colors)"},
                  {16, "16 Bits Per Pixel (65536 Colors)"},
                  {24, "24 Bits Per Pixel (16 Million Colors)"},
                  {32, "24 Bits Per Pixel (16 Million Colors)"}};
    for (const auto& d : depths) {
        EXPECT_STREQ(DepthText(d.bits), d.text) << d.bits;
    }
}

}  // namespace
}  // namespace texbench
