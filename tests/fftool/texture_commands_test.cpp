// fftool's texture command, run as the built program on temporary Fastfiles.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <span>
#include <string>

#include "packlib/packlib.h"
#include "platform/library_binding.h"
#include "tests/fftool/run_fftool.h"
#include "tests/packlib/test_files.h"
#include "tests/support/private_game.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/rim_archive.h"
#include "tools/demogame/demo_pictures.h"

namespace {

using namespace packlib_test;
using namespace fftool_test;

// A 24-bit record with many colours, blue, green, red.
IMAGEDATA Photo(unsigned width, unsigned height) {
    IMAGEDATA image{};
    image.header.wWidth = static_cast<std::uint16_t>(width);
    image.header.wHeight = static_cast<std::uint16_t>(height);
    image.header.bDepth = 24;
    image.header.bAlign = 8;
    image.dwPixelBytes = 3 * width * height;
    image.lpPixels = static_cast<std::uint8_t*>(std::malloc(image.dwPixelBytes));
    for (std::uint32_t p = 0; p < width * height; ++p) {  // every pixel its own colour
        image.lpPixels[3 * p] = static_cast<std::uint8_t>(p);
        image.lpPixels[3 * p + 1] = static_cast<std::uint8_t>(p * 3);
        image.lpPixels[3 * p + 2] = static_cast<std::uint8_t>(p >> 8);
    }
    return image;
}

class FftoolTexture : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Fftool("new " + ffl_).status, 0); }
    TempDir dir_;
    std::string ffl_ = Quote(dir_.File("tex.ffl"));
};

TEST_F(FftoolTexture, ImportsInspectsAndExports) {
    IMAGEDATA photo = Photo(24, 12);
    CIffImage source;
    ASSERT_TRUE(source.ImportFrom(&photo));
    ASSERT_TRUE(source.SaveFile(dir_.File("in.iff")));

    RunResult imported = Fftool("texture import " + ffl_ + " 'graphics\\wall.rim' " +
                                Quote(dir_.File("in.iff")) + " --compress");
    ASSERT_EQ(imported.status, 0) << imported.out;
    EXPECT_NE(imported.out.find("added graphics\\wall.rim"), std::string::npos) << imported.out;
    // An import onto a path the Fastfile does not hold says that it adds: a typo shows.
    EXPECT_NE(imported.out.find("as a new item"), std::string::npos) << imported.out;

    RunResult info = Fftool("texture info " + ffl_ + " 'graphics\\wall.rim'");
    ASSERT_EQ(info.status, 0) << info.out;
    EXPECT_NE(info.out.find("slot 0: 24x12, 16-bit"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("slot 1: 24x12, 8-bit"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("slot 2: 24x12, 4-bit"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("compression ByteRun1"), std::string::npos) << info.out;

    // Slot 0 keeps every colour: exported as a picture it equals the source.
    ASSERT_EQ(
        Fftool("texture export " + ffl_ + " 'graphics\\wall.rim' " + Quote(dir_.File("out.iff")))
            .status,
        0);
    CIffImage exported;
    ASSERT_TRUE(exported.LoadFile(dir_.File("out.iff")));
    IMAGEDATA back{};
    ASSERT_TRUE(exported.ExportTo(&back));
    ASSERT_EQ(back.header.bDepth, 24);  // a 16-bit slot becomes true colour in ILBM
    EXPECT_EQ(0, std::memcmp(back.lpPixels, photo.lpPixels, photo.dwPixelBytes));
    ImgFree(&back);

    RunResult bmp = Fftool("texture export " + ffl_ + " 'graphics\\wall.rim' " +
                           Quote(dir_.File("slot2.bmp")) + " --slot 2");
    ASSERT_EQ(bmp.status, 0) << bmp.out;
    CBmpImage small;
    ASSERT_TRUE(small.LoadFile(dir_.File("slot2.bmp")));
    EXPECT_EQ(small.GetWidth(), 24u);

    // The whole item as stored, then imported again over itself from a bitmap.
    ASSERT_EQ(
        Fftool("texture export " + ffl_ + " 'graphics\\wall.rim' " + Quote(dir_.File("whole.rim")))
            .status,
        0);
    CRimArchive rim;
    EXPECT_TRUE(rim.LoadFile(dir_.File("whole.rim")));
    EXPECT_FALSE(rim.IsSlotEmpty(2));
    RunResult replaced =
        Fftool("texture import " + ffl_ + " 'graphics\\wall.rim' " + Quote(dir_.File("slot2.bmp")));
    ASSERT_EQ(replaced.status, 0) << replaced.out;
    EXPECT_NE(replaced.out.find("replaced"), std::string::npos);
    info = Fftool("texture info " + ffl_ + " 'graphics\\wall.rim'");
    EXPECT_NE(info.out.find("slot 0: 24x12, 4-bit"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("slot 1: empty"), std::string::npos) << info.out;
    ImgFree(&photo);
}

TEST_F(FftoolTexture, RefusesWhatItCannotDo) {
    WriteFile(dir_.File("note.txt"), Bytes{'h', 'i'});
    ASSERT_EQ(Fftool("add " + ffl_ + " note " + Quote(dir_.File("note.txt"))).status, 0);
    WriteFile(dir_.File("broken.iff"), Bytes{'F', 'O', 'R', 'M', 0xFF, 0xFF, 0xFF, 0xFF});
    struct Case {
        std::string arguments;
        int status;
    } cases[] = {
        {"texture", 2},
        {"texture paint " + ffl_, 2},
        {"texture info " + ffl_, 2},
        {"texture info " + ffl_ + " note", 1},
        {"texture info " + ffl_ + " missing", 1},
        {"texture export " + ffl_ + " note " + Quote(dir_.File("x.gif")), 2},
        {"texture export " + ffl_ + " note " + Quote(dir_.File("x.iff")) + " --slot 3", 2},
        {"texture export " + ffl_ + " note " + Quote(dir_.File("x.iff")), 1},
        {"texture import " + ffl_ + " t.rim " + Quote(dir_.File("broken.iff")), 1},
        {"texture import " + ffl_ + " t.rim " + Quote(dir_.File("note.txt")), 2},
        // A FIFO is no picture file: refused at once instead of waiting for a writer.
        {"texture import " + ffl_ + " t.rim " + Quote(dir_.File("pipe.bmp")), 1},
    };
    mkfifo(dir_.File("pipe.bmp").c_str(), 0600);
    for (const Case& c : cases) {
        EXPECT_EQ(Fftool(c.arguments).status, c.status) << c.arguments;
    }
}

}  // namespace

// A HUD texture replaced by an edited picture must stay see-through: the new item keeps the
// old one's transparency mode and colour and its slots' compression. The Fastfile is read back
// through PackLib, bound in the private demo game as the programs bind it.
TEST(FftoolTextureReplace, KeepsTheReplacedItemsTransparencyAndCompression) {
    qm_test::PrivateGame game;
    ASSERT_TRUE(game.Made()) << game.Error();
    const std::string ffl = game.Fastfiles() + "/Predator.ffl";
    const std::string item = "graphics\\Predator\\Hud\\targeting.rim";
    const std::string picture = game.Environment().File("targeting.bmp");

    ASSERT_EQ(
        Fftool("texture export " + Quote(ffl) + " " + Quote(item) + " " + Quote(picture)).status,
        0);
    CBmpImage edited;  // the modder's edit: a band across the top in another colour
    ASSERT_TRUE(edited.LoadFile(picture));
    IMAGEDATA image{};
    ASSERT_TRUE(edited.ExportTo(&image));
    image.lpPixels[0] = static_cast<std::uint8_t>(image.lpPixels[0] ^ 1);
    ASSERT_TRUE(edited.ImportFrom(&image));
    ImgFree(&image);
    ASSERT_TRUE(edited.SaveFile(picture));

    RunResult replaced =
        Fftool("texture import " + Quote(ffl) + " " + Quote(item) + " " + Quote(picture));
    ASSERT_EQ(replaced.status, 0) << replaced.out;
    EXPECT_NE(replaced.out.find("replaced"), std::string::npos) << replaced.out;

    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    std::string error;
    ASSERT_TRUE(packLib.Bind("PackLib.dll", "PackLibInit", &error)) << error;
    const PACKLIBEXPORT& lib = packLib.Record();
    FFLARCHIVE* archive = lib.FFLOpenArchive(ffl.c_str());
    ASSERT_NE(archive, nullptr);
    FFLITEM* found = lib.FFLFindItem(archive, item.c_str(), false);
    ASSERT_NE(found, nullptr);
    std::uint32_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(lib.FFLGetItemData(found, &size));
    CRimArchive rim;
    ASSERT_TRUE(rim.Parse(std::span(data, size)));
    lib.FFLCloseArchive(archive);

    EXPECT_EQ(rim.GetTransparencyMode(), CRimArchive::kTransparencyOn);
    EXPECT_EQ(rim.GetTransparentColorWord() >> 8, demogame::kTargetKeyColor);
    CRimImage slot;
    ASSERT_TRUE(rim.GetSlotImage(0, slot));
    EXPECT_TRUE(slot.GetCompression()) << "the demo's targeting texture is stored compressed";
    EXPECT_NE(slot.GetMasking(), 0u) << "the slot itself must mask its transparent colour";
}
