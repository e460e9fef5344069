// Targa files: reading raw and run-length bodies, writing, refusing bad input; and
// interoperability with ImageMagick.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/imaging/picture_helpers.h"
#include "texbench/imaging/tga_image.h"

namespace {

using namespace imaging_test;

namespace fs = std::filesystem;

[[maybe_unused]] Bytes Header(unsigned mapType, unsigned type, unsigned mapLength, unsigned width,
                              unsigned height, unsigned depth, unsigned descriptor) {
    return {0,
            static_cast<std::uint8_t>(mapType),
            static_cast<std::uint8_t>(type),
            0,
            0,
            static_cast<std::uint8_t>(mapLength & 0xFF),
            static_cast<std::uint8_t>(mapLength >> 8),
            static_cast<std::uint8_t>(mapType ? 24 : 0),
            0,
            0,
            0,
            0,
            static_cast<std::uint8_t>(width & 0xFF),
            static_cast<std::uint8_t>(width >> 8),
            static_cast<std::uint8_t>(height & 0xFF),
            static_cast<std::uint8_t>(height >> 8),
            static_cast<std::uint8_t>(depth),
            static_cast<std::uint8_t>(descriptor)};
}

[[maybe_unused]] Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class TgaFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qm-tga-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const Bytes& bytes) {
        const std::string path = File("in.tga");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    bool Load(const Bytes& bytes, IMAGEDATA& image) {
        CTgaImage tga;
        return tga.LoadFile(Write(bytes)) && tga.ExportTo(&image);
    }
    fs::path dir_;
};

#ifndef QM_TGA_INTEROP
TEST_F(TgaFiles, RunLengthBodiesDecode) {
    // 3x2 true colour, top-down: a run of 4 red pixels, then 2 raw pixels.
    const Bytes body = {0x83, 0, 0, 255, 0x01, 255, 0, 0, 0, 255, 0};
    IMAGEDATA image{};
    ASSERT_TRUE(Load(Join(Header(0, 10, 0, 3, 2, 24, 0x20), body), image));
    EXPECT_EQ(TopDownRgb(image),
              (Bytes{255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 255, 0}));
    ImgFree(&image);
}

TEST_F(TgaFiles, PacketsThatOverflowThePictureAreRefused) {
    const Bytes body = {0x85, 0, 0, 255};  // a run of 6 pixels in a 2x2 picture
    CTgaImage tga;
    ASSERT_TRUE(tga.LoadFile(Write(Join(Header(0, 10, 0, 2, 2, 24, 0), body))));
    IMAGEDATA image{};
    EXPECT_FALSE(tga.ExportTo(&image));
}

TEST_F(TgaFiles, RunLengthPicturesBeyondTheLargestPictureAreRefusedOnReading) {
    // Four bytes claiming 65281 x 65535 pixels: no 12 GB picture is set aside for them.
    CTgaImage tga;
    EXPECT_FALSE(
        tga.LoadFile(Write(Join(Header(0, 10, 0, 65281, 65535, 24, 0), Bytes{0xFF, 1, 2, 3}))));
    EXPECT_TRUE(tga.IsEmpty());
}

TEST_F(TgaFiles, SixteenBitPixelsBecomeTwentyFourBit) {
    IMAGEDATA image{};
    ASSERT_TRUE(Load(Join(Header(0, 2, 0, 1, 1, 16, 0), Bytes{0xFF, 0x7F}), image));
    EXPECT_EQ(image.header.bDepth, 24);
    EXPECT_EQ(TopDownRgb(image), (Bytes{248, 248, 248}));
    ImgFree(&image);
}

TEST_F(TgaFiles, FourBitImagesAreWrittenAsEightBitColourMaps) {
    IMAGEDATA image{};
    image.header = {2, 2, 4, 8, kOrientationBottomUp, 0, 0, 0, 0};
    image.lpPalette = ImgCreatePalette(4, true);
    image.dwPaletteEntries = 16;
    image.dwPixelBytes = 4;
    image.lpPixels = static_cast<std::uint8_t*>(std::malloc(4));
    for (int i = 0; i < 4; ++i) {
        image.lpPixels[i] = static_cast<std::uint8_t>(i * 3);
    }
    CTgaImage tga;
    ASSERT_TRUE(tga.ImportFrom(&image));
    ASSERT_TRUE(tga.SaveFile(File("out.tga")));
    const Bytes file = ReadAll(File("out.tga"));
    ASSERT_EQ(file.size(), 18u + 768u + 4u);
    EXPECT_EQ(file[1], 1);  // colour map
    EXPECT_EQ(file[2], 1);  // colour-mapped
    EXPECT_EQ(file[5] | (file[6] << 8), 256);
    EXPECT_EQ(file[16], 8);
    EXPECT_EQ(file[17], 0);  // bottom-up
    IMAGEDATA back{};
    CTgaImage reread;
    ASSERT_TRUE(reread.LoadFile(File("out.tga")) && reread.ExportTo(&back));
    EXPECT_EQ(TopDownRgb(back), TopDownRgb(image));
    ImgFree(&image);
    ImgFree(&back);
}

TEST_F(TgaFiles, BadHeadersAndDamagedFilesFailCleanly) {
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"grey-scale type", Join(Header(0, 3, 0, 1, 1, 8, 0), Bytes{1})},
        {"8 bits without a map", Join(Header(0, 1, 0, 1, 1, 8, 0), Bytes{1})},
        {"map of 300 entries", Join(Header(1, 1, 300, 1, 1, 8, 0), Bytes(901, 0))},
        {"32 bits", Join(Header(0, 2, 0, 1, 1, 32, 0), Bytes(4, 0))},
        {"huge picture", Join(Header(0, 2, 0, 65535, 65535, 24, 0), Bytes(30, 0))},
        {"short raw body", Join(Header(0, 2, 0, 4, 4, 24, 0), Bytes(47, 0))},
    };
    for (const auto& c : cases) {
        CTgaImage tga;
        EXPECT_FALSE(tga.LoadFile(Write(c.file))) << c.name;
    }
    const Bytes good =
        Join(Join(Header(1, 9, 4, 3, 3, 8, 0), Bytes(12, 9)), Bytes{0x82, 1, 0x01, 2, 3, 0x83, 0});
    std::mt19937 random(5);
    for (std::size_t length = 0; length <= good.size(); ++length) {
        CTgaImage tga;
        IMAGEDATA image{};
        if (tga.LoadFile(Write(Bytes(good.begin(), good.begin() + length)))) {
            tga.ExportTo(&image);
        }
        ImgFree(&image);
    }
    for (int round = 0; round < 300; ++round) {
        Bytes damaged = good;
        damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        CTgaImage tga;
        IMAGEDATA image{};
        if (tga.LoadFile(Write(damaged))) {
            tga.ExportTo(&image);
        }
        ImgFree(&image);
    }
}

#else
// The same source builds twice: once with the file cases (they run under the sanitizers too) and
// once with the cases that need ImageMagick, labelled so that sanitizer runs skip them.
class TgaInterop : public TgaFiles {
  protected:
    void SetUp() override {
        if (std::system("convert -version >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "ImageMagick convert is not installed";
        }
        TgaFiles::SetUp();
    }
    static bool Run(const std::string& command) {
        return std::system((command + " 2>/dev/null").c_str()) == 0;
    }
};

TEST_F(TgaInterop, ReadsWhatConvertWritesAndTheOtherWayRound) {
    ASSERT_TRUE(
        Run("convert -size 11x6 xc:navy -fill red -draw 'rectangle 2,1 7,4' -fill white "
            "-draw 'point 10,5' " +
            File("source.png")));
    ASSERT_TRUE(Run("convert " + File("source.png") + " -depth 8 rgb:" + File("expected.rgb")));
    const Bytes expected = ReadAll(File("expected.rgb"));
    for (const char* options : {"-type TrueColor -compress None", "-type TrueColor -compress RLE",
                                "-type Palette -compress None", "-type Palette -compress RLE"}) {
        // Top-left origin: this ImageMagick stores rows top-first in files it marks as
        // bottom-left (netpbm's reading of those files agrees with ours, see below).
        ASSERT_TRUE(Run("convert " + File("source.png") + " -orient TopLeft " + options + " " +
                        File("case.tga")));
        CTgaImage tga;
        IMAGEDATA image{};
        ASSERT_TRUE(tga.LoadFile(File("case.tga")) && tga.ExportTo(&image)) << options;
        EXPECT_EQ(TopDownRgb(image), expected) << options;
        // Written back by us and read by ImageMagick.
        CTgaImage ours;
        ASSERT_TRUE(ours.ImportFrom(&image) && ours.SaveFile(File("ours.tga"))) << options;
        ASSERT_TRUE(Run("convert " + File("ours.tga") + " -depth 8 rgb:" + File("ours.rgb")));
        EXPECT_EQ(ReadAll(File("ours.rgb")), expected) << options;
        ImgFree(&image);
    }
}

TEST_F(TgaInterop, ReadsBottomUpFilesAsNetpbmWritesThem) {
    if (std::system("pamtotga -version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "netpbm is not installed";
    }
    ASSERT_TRUE(
        Run("convert -size 11x6 xc:navy -fill white -draw 'point 10,5' " + File("source.png")));
    ASSERT_TRUE(Run("convert " + File("source.png") + " -depth 8 rgb:" + File("expected.rgb")));
    for (const char* options : {"-rgb -norle", "-rgb"}) {
        ASSERT_TRUE(Run("convert " + File("source.png") + " ppm:- | pamtotga " + options + " > " +
                        File("case.tga")));
        CTgaImage tga;
        IMAGEDATA image{};
        ASSERT_TRUE(tga.LoadFile(File("case.tga")) && tga.ExportTo(&image)) << options;
        EXPECT_EQ(image.header.bOrientation & kOrientationBottomUp, kOrientationBottomUp);
        EXPECT_EQ(TopDownRgb(image), ReadAll(File("expected.rgb"))) << options;
        ImgFree(&image);
    }
}

#endif  // QM_TGA_INTEROP

}  // namespace
