// Bitmaps made by ImageMagick read with the right pixels, and ours read back by it. (Its
// 16-bit bitmaps carry bit-field masks, a form these tools refuse; 5-5-5 reading is tested
// on hand-made files.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/imaging/picture_helpers.h"
#include "texbench/imaging/bmp_image.h"

namespace {

using namespace imaging_test;

namespace fs = std::filesystem;

bool HaveConvert() {
    return std::system("convert -version >/dev/null 2>&1") == 0;
}

class BmpInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveConvert()) {
            GTEST_SKIP() << "ImageMagick convert is not installed";
        }
        dir_ = fs::temp_directory_path() /
               ("qm-bmpx-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    static bool Run(const std::string& command) {
        return std::system((command + " 2>/dev/null").c_str()) == 0;
    }
    fs::path dir_;
};

TEST_F(BmpInterop, ReadsWhatConvertWrites) {
    // A small picture with few colours, so that every palette form keeps it exactly.
    ASSERT_TRUE(
        Run("convert -size 13x7 xc:navy -fill red -draw 'rectangle 2,1 8,4' -fill white "
            "-draw 'point 12,6' -fill lime -draw 'point 0,0' " +
            File("source.png")));
    struct Case {
        const char* name;
        const char* options;
    } cases[] = {
        {"24-bit", "-type TrueColor BMP3:"},
        {"8-bit", "-type Palette BMP3:"},
        {"4-bit", "-type Palette -colors 16 BMP3:"},
        {"RLE8", "-type Palette -compress RLE BMP3:"},
        {"top-down", "-type TrueColor -define bmp:top-down=true BMP:"},
    };
    ASSERT_TRUE(Run("convert " + File("source.png") + " -depth 8 rgb:" + File("expected.rgb")));
    const Bytes expected = ReadAll(File("expected.rgb"));
    for (const Case& c : cases) {
        const std::string bmp = File(std::string("case.bmp"));
        ASSERT_TRUE(Run("convert " + File("source.png") + " " + c.options + bmp)) << c.name;
        CBmpImage image;
        IMAGEDATA data{};
        ASSERT_TRUE(image.LoadFile(bmp) && image.ExportTo(&data)) << c.name;
        EXPECT_EQ(TopDownRgb(data), expected) << c.name;
        ImgFree(&data);
    }
}

TEST_F(BmpInterop, ConvertReadsWhatWeWrite) {
    for (unsigned depth : {4u, 8u, 24u}) {
        IMAGEDATA image{};
        image.header = {9, 5, static_cast<std::uint8_t>(depth), 8, 0, 0, 0, 0, 0};
        if (depth != 24) {
            image.lpPalette = ImgCreatePalette(depth, true);
            image.dwPaletteEntries = ImgPaletteEntries(depth);
        }
        image.dwPixelBytes = static_cast<std::uint32_t>(ImgStride(9, depth, 8) * 5);
        image.lpPixels = static_cast<std::uint8_t*>(std::malloc(image.dwPixelBytes));
        for (std::uint32_t i = 0; i < image.dwPixelBytes; ++i) {
            image.lpPixels[i] = static_cast<std::uint8_t>(depth == 4 ? (i * 7) % 16 : i * 37 + 11);
        }
        CBmpImage bmp;
        ASSERT_TRUE(bmp.ImportFrom(&image));
        ASSERT_TRUE(bmp.SaveFile(File("ours.bmp")));
        ASSERT_TRUE(Run("convert " + File("ours.bmp") + " -depth 8 rgb:" + File("ours.rgb")))
            << depth;
        EXPECT_EQ(ReadAll(File("ours.rgb")), TopDownRgb(image)) << depth;
        ImgFree(&image);
    }
}

}  // namespace
