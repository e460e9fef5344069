// Pictures that ImageMagick wrote, imported into the demo game: the textures made of them are
// written back as BMP by us and read by ImageMagick, so both sides agree on every pixel's
// colour, within what the texture's colour depth keeps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "suite/texture_pipeline.h"
#include "tests/support/files.h"
#include "tests/texbench/browser/import_fixture.h"
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
    ASSERT_TRUE(Shell("convert " + File("source.png") + " -depth 8 rgb:" + File("expected.rgb")));
    const std::vector<unsigned char> expected = qm_test::ReadFile(File("expected.rgb"));
    const struct {
        const char* file;
        const char* options;
        int filterIndex;
    } cases[] = {{"bmp24.bmp", "-type TrueColor BMP3:", 3},
                 {"bmp8.bmp", "-type Palette BMP3:", 3},
                 {"v5.bmp", "-type TrueColor BMP:", 3},
                 // Without an orientation this ImageMagick stores the top row first yet
                 // marks the file bottom-up.
                 {"plain.tga", "-orient TopLeft -type TrueColor TGA:", 5},
                 {"packed.tga", "-orient TopLeft -compress RLE TGA:", 5}};
    Select("graphics\\Aliens");
    const std::string prefix = FolderPrefix(model_->Lib(), model_->CurrentArchive());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(Shell("convert " + File("source.png") + " " + c.options + File(c.file)));
        qm::ScriptedMessageBoxes boxes;
        const std::vector<std::string> chosen = {File(c.file)};
        ImportFiles(*model_, settings_, chosen, c.filterIndex);
        EXPECT_TRUE(boxes.Asked().empty());
        const std::string name = std::string(c.file).substr(0, std::string(c.file).rfind('.'));
        ExpectClose(SlotPixels("Aliens.ffl", prefix + name + ".rim", name), expected);
    }
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
