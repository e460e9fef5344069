// Pictures that ImageMagick wrote, imported into the demo game: the textures made of them are
// written back as BMP by us and read by ImageMagick, so both sides agree on every pixel's
// colour, within what the texture's colour depth keeps. Qt's readers stand in for the files
// the suite's own classes refuse, and read PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "suite/qt/qt_picture_codec.h"
#include "suite/texture_pipeline.h"
#include "tests/support/files.h"
#include "tests/texbench/browser/import_fixture.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/browser/item_export.h"
#include "texbench/browser/item_import.h"
#include "texbench/imaging/bmp_image.h"

namespace texbench {
namespace {

using import_test::ImportTest;
using qm::MessageBoxResult;

bool Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

class ImportInteropTest : public ImportTest {
  protected:
    void SetUp() override {
        if (!Shell("convert -version")) {
            GTEST_SKIP() << "ImageMagick convert is not installed";
        }
        ImportTest::SetUp();
    }

    std::string File(const std::string& name) const { return files_.File(name); }

    // The first slot of a saved texture as raw 8-bit RGB, through our BMP writer and
    // ImageMagick's reader.
    std::vector<unsigned char> SlotPixels(const std::string& fastfile, const std::string& path,
                                          const std::string& stem) {
        const std::optional<import_test::Bytes> bytes = SavedData(fastfile, path);
        EXPECT_TRUE(bytes.has_value()) << path;
        if (!bytes) {
            return {};
        }
        CRimArchive texture;
        EXPECT_TRUE(texture.Parse(std::span(bytes->data(), bytes->size())));
        CBmpImage bmp;
        EXPECT_TRUE(suite::ExportSlotToPicture(texture, 0, bmp, File(stem + ".bmp")));
        EXPECT_TRUE(
            Shell("convert " + File(stem + ".bmp") + " -depth 8 rgb:" + File(stem + ".rgb")));
        return qm_test::ReadFile(File(stem + ".rgb"));
    }

    // The picture as ImageMagick reads it, as raw 8-bit RGB.
    std::vector<unsigned char> PicturePixels(const std::string& file) {
        EXPECT_TRUE(Shell("convert " + file + " -depth 8 rgb:" + file + ".rgb"));
        return qm_test::ReadFile(file + ".rgb");
    }

    CRimArchive SavedTexture(const std::string& fastfile, const std::string& path) {
        CRimArchive texture;
        const std::optional<import_test::Bytes> bytes = SavedData(fastfile, path);
        EXPECT_TRUE(bytes.has_value()) << path;
        if (bytes) {
            EXPECT_TRUE(texture.Parse(std::span(bytes->data(), bytes->size())));
        }
        return texture;
    }

    suite::QtPictureCodec codec_;
};

// Within the steps of a 16-bit slot (five bits a channel).
void ExpectClose(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    ASSERT_EQ(a.size(), b.size());
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    }
    EXPECT_LE(worst, 9);
}

TEST_F(ImportInteropTest, PicturesWrittenByImageMagickBecomeTexturesOfTheSameColours) {
    ASSERT_TRUE(
        Shell("convert -size 24x12 xc:navy -fill orange -draw 'rectangle 3,2 14,8' "
              "-fill white -draw 'point 0,0' " +
              File("source.png")));
    const struct {
        const char* file;
        const char* options;
        int filterIndex;
        bool refusedByOwnReader;  // so only the fallback can read it
    } cases[] = {{"bmp24.bmp", "-type TrueColor BMP3:", 3, false},
                 {"bmp8.bmp", "-type Palette BMP3:", 3, false},
                 {"v5.bmp", "-type TrueColor BMP:", 3, false},
                 {"bmp32.bmp", "-alpha set BMP:", 3, true},
                 // Without an orientation this ImageMagick stores the top row first yet
                 // marks the file bottom-up.
                 {"plain.tga", "-orient TopLeft -type TrueColor TGA:", 5, false},
                 {"packed.tga", "-orient TopLeft -compress RLE TGA:", 5, false},
                 {"grey.tga", "-orient TopLeft -colorspace Gray -type Grayscale TGA:", 5, true},
                 {"truecolour.png", "-type TrueColor PNG24:", 6, true}};
    Select("graphics\\Aliens");
    const std::string prefix = FolderPrefix(model_->Lib(), model_->CurrentArchive());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(Shell("convert " + File("source.png") + " " + c.options + File(c.file)));
        const std::unique_ptr<CImageBase> own = suite::PictureClassFor(c.file);
        EXPECT_EQ(own == nullptr || !own->LoadFile(File(c.file)), c.refusedByOwnReader);
        const std::vector<unsigned char> expected = PicturePixels(File(c.file));
        qm::ScriptedMessageBoxes boxes;
        const std::vector<std::string> chosen = {File(c.file)};
        ImportFiles(*model_, settings_, chosen, c.filterIndex, &codec_);
        EXPECT_TRUE(boxes.Asked().empty());
        EXPECT_EQ(ReadInt(settings_, kImportType), c.filterIndex);
        const std::string name = std::string(c.file).substr(0, std::string(c.file).rfind('.'));
        ExpectClose(SlotPixels("Aliens.ffl", prefix + name + ".rim", name), expected);
    }
}

// Fully transparent pixels of a PNG make the texture transparent, in a colour no opaque
// pixel has: as a new item, and over an opaque one, whose opacity the picture overrules.
TEST_F(ImportInteropTest, APngWithAlphaBecomesATransparentTexture) {
    ASSERT_TRUE(Shell("convert -size 8x6 xc:none -fill red -draw 'rectangle 2,1 5,4' " +
                      File("sprite.png")));
    ASSERT_TRUE(std::filesystem::copy_file(File("sprite.png"), File("crest.png")));
    Select("graphics\\Aliens");
    const std::string prefix = FolderPrefix(model_->Lib(), model_->CurrentArchive());
    const std::string crest = "graphics\\Aliens\\Queen\\crest.rim";
    ASSERT_EQ(SavedTexture("Aliens.ffl", crest).GetTransparencyMode(), 0u);

    qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes});
    const std::vector<std::string> chosen = {File("sprite.png"), File("crest.png")};
    ImportFiles(*model_, settings_, chosen, 6, &codec_);
    ASSERT_EQ(boxes.Asked().size(), 1u);  // the replacement of crest.rim
    EXPECT_NE(boxes.Asked()[0].text.find("'crest.rim'"), std::string::npos);
    EXPECT_EQ(ReadInt(settings_, kImportType), 6);

    for (const std::string& path : {prefix + "sprite.rim", crest}) {
        SCOPED_TRACE(path);
        CRimArchive texture = SavedTexture("Aliens.ffl", path);
        ASSERT_NE(texture.GetTransparencyMode(), 0u);
        const std::uint32_t key = texture.GetTransparentColorWord() >> 8;  // 0x00BBGGRR
        const std::vector<unsigned char> pixels =
            SlotPixels("Aliens.ffl", path, path == crest ? "crest-back" : "sprite-back");
        ASSERT_EQ(pixels.size(), 8u * 6u * 3u);
        const auto at = [&](int x, int y, int channel) {
            return static_cast<int>(pixels[static_cast<std::size_t>((y * 8 + x) * 3 + channel)]);
        };
        // The corner was transparent, the middle opaque red.
        EXPECT_LE(std::abs(at(0, 0, 0) - static_cast<int>(key & 0xff)), 9);
        EXPECT_LE(std::abs(at(0, 0, 1) - static_cast<int>((key >> 8) & 0xff)), 9);
        EXPECT_LE(std::abs(at(0, 0, 2) - static_cast<int>((key >> 16) & 0xff)), 9);
        EXPECT_GE(at(3, 2, 0), 246);
        EXPECT_LE(at(3, 2, 1), 9);
        EXPECT_LE(at(3, 2, 2), 9);
        EXPECT_NE(key, 0x0000ffu);
    }
}

// Over a transparent texture the picture's transparent pixels take the colour that texture
// had for them (black for the cursor, not the usual magenta), so what the game keys on stays
// the same.
TEST_F(ImportInteropTest, APngWithAlphaOverATransparentTextureKeepsItsColour) {
    ASSERT_TRUE(Shell("convert -size 8x6 xc:none -fill red -draw 'rectangle 2,1 5,4' " +
                      File("cursor.png")));
    Select("graphics\\Menus");
    const std::string target = "graphics\\Menus\\cursor.rim";
    const CRimArchive old = SavedTexture("Menus.ffl", target);
    ASSERT_NE(old.GetTransparencyMode(), 0u);
    const std::optional<import_test::Bytes> oldBytes = SavedData("Menus.ffl", target);

    qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes});
    ImportFiles(*model_, settings_, std::vector<std::string>{File("cursor.png")}, 6, &codec_);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    const CRimArchive fresh = SavedTexture("Menus.ffl", target);
    EXPECT_NE(SavedData("Menus.ffl", target), oldBytes);
    EXPECT_EQ(fresh.GetTransparencyMode(), old.GetTransparencyMode());
    EXPECT_EQ(fresh.GetTransparentColorWord(), old.GetTransparentColorWord());
}

// PNG is dropped like the other picture types; a ".dib" is still passed over.
TEST_F(ImportInteropTest, ADroppedPngIsImportedAndADibIsNot) {
    ASSERT_TRUE(Shell("convert -size 10x6 xc:teal " + File("dropped.png")));
    ASSERT_TRUE(Shell("convert -size 10x6 xc:teal -type TrueColor BMP3:" + File("other.dib")));
    Select("graphics\\Aliens");
    const std::string prefix = FolderPrefix(model_->Lib(), model_->CurrentArchive());
    qm::ScriptedMessageBoxes boxes;
    const std::vector<std::string> dropped = {File("dropped.png"), File("other.dib")};
    const ItemCommandResult result = DropFiles(*model_, settings_, dropped, &codec_);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(model_->Rows()[static_cast<std::size_t>(result.focusedRow)].name, "dropped.rim");
    const std::vector<std::string> saved = SavedPaths("Aliens.ffl");
    EXPECT_NE(std::find(saved.begin(), saved.end(), prefix + "dropped.rim"), saved.end());
    EXPECT_EQ(std::find(saved.begin(), saved.end(), prefix + "other.rim"), saved.end());
    ExpectClose(SlotPixels("Aliens.ffl", prefix + "dropped.rim", "dropped"),
                PicturePixels(File("dropped.png")));
}

// The round a user makes: export a texture as BMP, edit it elsewhere, import it back over
// the texture, which keeps its transparency.
TEST_F(ImportInteropTest, ATextureEditedByImageMagickComesBackOverItself) {
    Select("graphics\\Aliens");
    const std::string skin = "graphics\\Aliens\\skin.rim";
    const int row = model_->FindRow(skin);
    ASSERT_GE(row, 0);
    const FFLITEM* item = model_->Rows()[static_cast<std::size_t>(row)].item;
    ASSERT_TRUE(ExportItem(*item, 3, File("skin-out.bmp")));
    ASSERT_TRUE(Shell("convert " + File("skin-out.bmp") + " -negate " + File("skin.bmp")));
    ASSERT_TRUE(Shell("convert " + File("skin.bmp") + " -depth 8 rgb:" + File("negated.rgb")));
    const std::vector<unsigned char> negated = qm_test::ReadFile(File("negated.rgb"));
    CRimArchive old;
    const import_test::Bytes oldBytes = *SavedData("Aliens.ffl", skin);
    ASSERT_TRUE(old.Parse(std::span(oldBytes.data(), oldBytes.size())));

    qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes});
    const std::vector<std::string> chosen = {File("skin.bmp")};
    const ItemCommandResult result = ImportFiles(*model_, settings_, chosen, 3);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text.find("'skin.rim'") != std::string::npos, true);
    ExpectClose(SlotPixels("Aliens.ffl", skin, "skin-back"), negated);
    const import_test::Bytes newBytes = *SavedData("Aliens.ffl", skin);
    CRimArchive fresh;
    ASSERT_TRUE(fresh.Parse(std::span(newBytes.data(), newBytes.size())));
    EXPECT_EQ(fresh.GetTransparencyMode(), old.GetTransparencyMode());
    EXPECT_EQ(fresh.GetTransparentColorWord(), old.GetTransparentColorWord());
    EXPECT_EQ(model_->Rows()[static_cast<std::size_t>(result.focusedRow)].name, "skin.rim");
}

}  // namespace
}  // namespace texbench
