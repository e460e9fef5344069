// Pictures written by ImageMagick and netpbm in the forms the suite's own classes refuse (1- and
// 32-bit, bit-field and OS/2 bitmaps, 32-bit and grey Targas, IFF pictures of few planes) read
// through the texture pipeline with the right pixels; fully transparent pixels become the
// transparent colour.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "suite/qt/qt_picture_codec.h"
#include "suite/texture_pipeline.h"
#include "tests/imaging/picture_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

using imaging_test::Bytes;
using imaging_test::ReadAll;
using imaging_test::TopDownRgb;

bool Shell(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

// The raw RGB bytes of a picture as ImageMagick sees it.
Bytes Rgb(const std::string& file, const std::string& rgbFile) {
    return Shell("convert " + file + " -depth 8 rgb:" + rgbFile) ? ReadAll(rgbFile) : Bytes{};
}

class PictureInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Shell("convert -version >/dev/null") || !Shell("ppmtobmp -version")) {
            GTEST_SKIP() << "ImageMagick or netpbm is not installed";
        }
        reading_.fallback = &codec_;
        // Few colours, so every form holds the picture exactly.
        ASSERT_TRUE(
            Shell("convert -size 13x7 xc:navy -fill red -draw 'rectangle 2,1 8,4' -fill white "
                  "-draw 'point 12,6' -fill lime -draw 'point 0,0' " +
                  dir_.File("colour.ppm")));
        ASSERT_TRUE(Shell("convert " + dir_.File("colour.ppm") + " -threshold 50% -type bilevel " +
                          dir_.File("bilevel.pbm")));
        ASSERT_TRUE(Shell("convert " + dir_.File("colour.ppm") + " -colorspace gray " +
                          dir_.File("grey.pgm")));
        source_ = Rgb(dir_.File("colour.ppm"), dir_.File("colour.rgb"));
        ASSERT_EQ(source_.size(), 13u * 7u * 3u);
    }

    // Reads the file through the pipeline; empty when it cannot.
    Bytes ReadThroughPipeline(const std::string& file, suite::PictureFormat format,
                              suite::Picture& picture) {
        return suite::ReadPicture(file, format, picture, reading_)
                   ? TopDownRgb(*picture.image.Get())
                   : Bytes{};
    }

    qm_test::TempDir dir_{"qm-picture-interop"};
    suite::QtPictureCodec codec_;
    suite::PictureReading reading_;
    Bytes source_;
};

TEST_F(PictureInterop, BitmapsAndTargasOurClassesRefuse) {
    const struct {
        const char* name;
        const char* command;  // %s: the source, %o: the output
        const char* source;
        suite::PictureFormat format;
    } cases[] = {
        {"1-bit.bmp", "convert %s -type bilevel BMP3:%o", "bilevel.pbm", suite::PictureFormat::Bmp},
        {"netpbm-1-bit.bmp", "ppmtobmp -bpp=1 %s > %o", "bilevel.pbm", suite::PictureFormat::Bmp},
        {"32-bit.bmp", "convert %s -alpha on -define bmp:format=bmp4 %o", "colour.ppm",
         suite::PictureFormat::Bmp},
        {"os2.bmp", "convert %s BMP2:%o", "colour.ppm", suite::PictureFormat::Bmp},
        {"netpbm-os2.bmp", "ppmtobmp -os2 %s > %o", "colour.ppm", suite::PictureFormat::Bmp},
        {"32-bit.tga", "convert %s -orient TopLeft -alpha on %o", "colour.ppm",
         suite::PictureFormat::Tga},
        {"32-bit-raw.tga", "convert %s -alpha on -compress none -orient TopLeft %o", "colour.ppm",
         suite::PictureFormat::Tga},
        {"netpbm-grey.tga", "pamtotga %s > %o", "grey.pgm", suite::PictureFormat::Tga},
        {"netpbm-3-plane.iff", "ppmtoilbm %s > %o", "colour.ppm", suite::PictureFormat::Iff},
        {"netpbm-1-plane.iff", "ppmtoilbm -nocompress %s > %o", "bilevel.pbm",
         suite::PictureFormat::Iff},
    };
    for (const auto& c : cases) {
        std::string command = c.command;
        command.replace(command.find("%s"), 2, dir_.File(c.source));
        command.replace(command.find("%o"), 2, dir_.File(c.name));
        ASSERT_TRUE(Shell(command)) << command;
        const Bytes expected = Rgb(dir_.File(c.source), dir_.File(std::string(c.name) + ".rgb"));
        suite::Picture picture;
        EXPECT_EQ(ReadThroughPipeline(dir_.File(c.name), c.format, picture), expected) << c.name;
        EXPECT_FALSE(picture.transparentColor.has_value()) << c.name;
    }
}

TEST_F(PictureInterop, BitFieldBitmapsKeepTheirColoursToTheirPrecision) {
    ASSERT_TRUE(Shell("convert " + dir_.File("colour.ppm") + " -define bmp:subtype=RGB565 " +
                      dir_.File("565.bmp")));
    suite::Picture picture;
    const Bytes read =
        ReadThroughPipeline(dir_.File("565.bmp"), suite::PictureFormat::Bmp, picture);
    ASSERT_EQ(read.size(), source_.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_NEAR(read[i], source_[i], 8) << "byte " << i;
    }
}

TEST_F(PictureInterop, FullyTransparentPixelsBecomeTheTransparentColour) {
    // The red rectangle made fully transparent; magenta is free, so it paints them.
    const struct {
        const char* name;
        suite::PictureFormat format;
    } cases[] = {{"alpha.png", suite::PictureFormat::Png},
                 {"alpha.tga", suite::PictureFormat::Tga},
                 {"alpha.bmp", suite::PictureFormat::Bmp}};
    for (const auto& c : cases) {
        const std::string extra = c.format == suite::PictureFormat::Bmp ? " -define bmp:format=bmp4"
                                  : c.format == suite::PictureFormat::Tga ? " -orient TopLeft"
                                                                          : "";
        ASSERT_TRUE(Shell("convert " + dir_.File("colour.ppm") +
                          " -alpha on -fill none -draw 'color 3,2 replace'" + extra + " " +
                          dir_.File(c.name)));
        suite::Picture picture;
        const Bytes read = ReadThroughPipeline(dir_.File(c.name), c.format, picture);
        ASSERT_EQ(read.size(), source_.size()) << c.name;
        ASSERT_TRUE(picture.transparentColor.has_value()) << c.name;
        EXPECT_EQ(*picture.transparentColor, 0x00FF00FFu) << c.name;
        for (std::size_t p = 0; p < read.size(); p += 3) {
            const bool red = source_[p] == 255 && source_[p + 1] == 0 && source_[p + 2] == 0;
            const Bytes expected = red ? Bytes{255, 0, 255} : Bytes(&source_[p], &source_[p] + 3);
            ASSERT_EQ(Bytes(&read[p], &read[p] + 3), expected) << c.name << " pixel " << p / 3;
        }
    }
}

TEST_F(PictureInterop, GreyTargasKeepTheirLevels) {
    const std::string gradient = "convert -size 16x4 gradient:black-white -type grayscale ";
    ASSERT_TRUE(Shell(gradient + dir_.File("grey.png")));
    ASSERT_TRUE(Shell(gradient + "-orient TopLeft " + dir_.File("grey.tga")));
    ASSERT_TRUE(Shell(gradient + "-orient TopLeft -compress none " + dir_.File("grey-raw.tga")));
    const Bytes expected = Rgb(dir_.File("grey.png"), dir_.File("grey.rgb"));
    for (const char* name : {"grey.tga", "grey-raw.tga"}) {
        suite::Picture picture;
        EXPECT_EQ(ReadThroughPipeline(dir_.File(name), suite::PictureFormat::Tga, picture),
                  expected)
            << name;
        EXPECT_EQ(picture.image.Get()->header.bDepth, 8) << name;
    }
}

}  // namespace
