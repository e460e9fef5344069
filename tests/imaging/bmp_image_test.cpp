// Windows bitmap files: reading every stored form, writing, and refusing bad input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "texbench/imaging/bmp_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::tuple<int, int, int>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A bitmap file: headers, colour table (BGR0 entries), then the body as given.
Bytes Bitmap(std::int32_t width, std::int32_t height, unsigned depth, std::uint32_t compression,
             const Bytes& palette, const Bytes& body, std::uint32_t colorsUsed = 0,
             std::uint32_t imageSize = 0) {
    Bytes b = {'B', 'M'};
    Put32(b, static_cast<std::uint32_t>(54 + palette.size() + body.size()));
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(54 + palette.size()));
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, depth);
    Put32(b, compression);
    Put32(b, imageSize != 0 ? imageSize
                            : (compression != 0 ? static_cast<std::uint32_t>(body.size()) : 0));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, colorsUsed);
    Put32(b, 0);
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

class BmpFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qm-bmp-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Write(const Bytes& bytes, const std::string& name = "in.bmp") {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // Loads and exports; the record is freed by the caller.
    bool Load(const Bytes& bytes, IMAGEDATA& image) {
        CBmpImage bmp;
        return bmp.LoadFile(Write(bytes)) && bmp.ExportTo(&image);
    }

    std::filesystem::path dir_;
};

Rgb ColorAt(const IMAGEDATA& image, unsigned x, unsigned y) {
    const unsigned depth = image.header.bDepth;
    // Row 0 of the picture is the last stored row when rows are stored bottom-up.
    const unsigned row =
        (image.header.bOrientation & kOrientationBottomUp) ? image.header.wHeight - 1 - y : y;
    const std::uint8_t* p = image.lpPixels +
                            row * ImgStride(image.header.wWidth, depth, image.header.bAlign) +
                            x * ImgBytesPerPixel(depth);
    if (depth == 24) {
        return {p[2], p[1], p[0]};
    }
    const std::uint8_t* e = image.lpPalette + p[0] * 3;
    return {e[2], e[1], e[0]};
}

TEST_F(BmpFiles, RleEightAbsoluteRunsTakeWholeSixteenBitUnits) {
    Bytes palette(256 * 4, 0);
    for (int i = 0; i < 256; ++i) {
        palette[i * 4 + 2] = static_cast<std::uint8_t>(i);  // red = index
    }
    // Absolute run of 3 (4 data bytes with its pad), a run of two 5s, end of line, end.
    const Bytes body = {0, 3, 10, 20, 30, 0xEE, 2, 5, 0, 0, 0, 1};
    IMAGEDATA image{};
    ASSERT_TRUE(Load(Bitmap(5, 1, 8, 1, palette, body), image));
    EXPECT_EQ(image.header.bDepth, 8);
    EXPECT_EQ(image.header.bEncoding, 0);
    EXPECT_EQ(Bytes(image.lpPixels, image.lpPixels + 5), (Bytes{10, 20, 30, 5, 5}));
    ImgFree(&image);
}

TEST_F(BmpFiles, RleRunsStopAtTheEndOfThePicture) {
    Bytes palette(16 * 4, 0);
    const Bytes body = {255, 0x12, 0, 2, 200, 200, 9, 0x34, 0, 1};  // run, huge delta, run
    IMAGEDATA image{};
    ASSERT_TRUE(Load(Bitmap(3, 2, 4, 2, palette, body), image));
    EXPECT_EQ(Bytes(image.lpPixels, image.lpPixels + 8), (Bytes{1, 2, 1, 2, 1, 2, 1, 2}));
    ImgFree(&image);
}

TEST_F(BmpFiles, RlePicturesBeyondTheLargestPictureAreRefusedOnReading) {
    // 1 KB of RLE8 claiming 65534 x 32771 pixels: about 2 GiB, refused before anything is decoded.
    Bytes body(1024, 0);
    body[0] = 0;
    body[1] = 1;  // end of bitmap
    CBmpImage bmp;
    EXPECT_FALSE(bmp.LoadFile(Write(Bitmap(65534, 32771, 8, 1, Bytes(1024, 0), body))));
    EXPECT_TRUE(bmp.IsEmpty());
}

TEST_F(BmpFiles, SixteenBitPixelsBecomeTwentyFourBit) {
    const Bytes body = {0xFF, 0x7F, 0x1F, 0x00};  // 0x7FFF white-ish, 0x001F blue; row of 4 bytes
    IMAGEDATA image{};
    ASSERT_TRUE(Load(Bitmap(2, 1, 16, 0, {}, body), image));
    EXPECT_EQ(image.header.bDepth, 24);
    EXPECT_EQ(ColorAt(image, 0, 0), (Rgb{248, 248, 248}));
    EXPECT_EQ(ColorAt(image, 1, 0), (Rgb{0, 0, 248}));
    ImgFree(&image);
}

TEST_F(BmpFiles, TopDownFilesKeepTheirOrientation) {
    Bytes palette(16 * 4, 0);
    palette[1 * 4 + 1] = 255;                           // index 1 green
    const Bytes body = {0x10, 0, 0, 0, 0x01, 0, 0, 0};  // row 0: 1,0  row 1: 0,1
    IMAGEDATA image{};
    ASSERT_TRUE(Load(Bitmap(2, -2, 4, 0, palette, body), image));
    EXPECT_EQ(image.header.wHeight, 2);
    EXPECT_EQ(image.header.bOrientation & kOrientationBottomUp, 0);
    EXPECT_EQ(ColorAt(image, 0, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(ColorAt(image, 1, 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(ColorAt(image, 1, 0), (Rgb{0, 0, 0}));
    ImgFree(&image);
}

TEST_F(BmpFiles, UnsupportedAndOversizedHeadersAreRefused) {
    const Bytes row(4, 0);
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"one bit", Bitmap(1, 1, 1, 0, Bytes(8, 0), row)},
        {"thirty-two bit", Bitmap(1, 1, 32, 0, {}, row)},
        {"bit fields", Bitmap(1, 1, 16, 3, {}, row)},
        {"seventeen colours at 4 bits", Bitmap(1, 1, 4, 0, Bytes(17 * 4, 0), row, 17)},
        {"RLE8 at 4 bits", Bitmap(1, 1, 4, 1, Bytes(64, 0), row)},
        {"zero width", Bitmap(0, 1, 24, 0, {}, row)},
        {"huge picture in a small file", Bitmap(65535, 65535, 24, 0, {}, row)},
        {"image size beyond the file", Bitmap(1, 1, 8, 1, Bytes(1024, 0), row, 0, 0x7FFFFFFF)},
    };
    for (const auto& c : cases) {
        CBmpImage bmp;
        EXPECT_FALSE(bmp.LoadFile(Write(c.file))) << c.name;
        EXPECT_TRUE(bmp.IsEmpty()) << c.name;
    }
}

TEST_F(BmpFiles, WrittenFilesReadBackTheSamePicture) {
    std::mt19937 random(3);
    for (unsigned depth : {4u, 8u, 24u}) {
        IMAGEDATA image{};
        image.header = {7, 3, static_cast<std::uint8_t>(depth), 8, 0, 0, 0, 0, 0};
        if (depth != 24) {
            image.lpPalette = ImgCreatePalette(depth, true);
            image.dwPaletteEntries = ImgPaletteEntries(depth);
        }
        image.dwPixelBytes = static_cast<std::uint32_t>(ImgStride(7, depth, 8) * 3);
        image.lpPixels = static_cast<std::uint8_t*>(std::malloc(image.dwPixelBytes));
        for (std::uint32_t i = 0; i < image.dwPixelBytes; ++i) {
            image.lpPixels[i] = static_cast<std::uint8_t>(depth == 4 ? random() % 16 : random());
        }
        CBmpImage out;
        ASSERT_TRUE(out.ImportFrom(&image)) << depth;
        const std::string path = (dir_ / ("out" + std::to_string(depth) + ".bmp")).string();
        ASSERT_TRUE(out.SaveFile(path)) << depth;
        EXPECT_EQ(std::filesystem::file_size(path), out.GetFileSize());
        CBmpImage in;
        IMAGEDATA back{};
        ASSERT_TRUE(in.LoadFile(path) && in.ExportTo(&back)) << depth;
        EXPECT_EQ(back.header.bDepth, depth);
        for (unsigned y = 0; y < 3; ++y) {
            for (unsigned x = 0; x < 7; ++x) {
                EXPECT_EQ(ColorAt(back, x, y), ColorAt(image, x, y))
                    << depth << " " << x << "," << y;
            }
        }
        ImgFree(&image);
        ImgFree(&back);
    }
}

TEST_F(BmpFiles, TruncatedAndDamagedFilesFailCleanly) {
    Bytes palette(256 * 4, 7);
    const Bytes body = {0, 3, 10, 20, 30, 0, 4, 5, 0, 0, 2, 9, 0, 2, 1, 1, 0, 1};
    const Bytes good = Bitmap(6, 3, 8, 1, palette, body);
    for (std::size_t length = 0; length < good.size(); ++length) {
        CBmpImage bmp;
        EXPECT_FALSE(bmp.LoadFile(Write(Bytes(good.begin(), good.begin() + length)))) << length;
    }
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        Bytes damaged = good;
        for (int k = 0; k < 4; ++k) {
            damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        }
        CBmpImage bmp;
        IMAGEDATA image{};
        if (bmp.LoadFile(Write(damaged))) {
            bmp.ExportTo(&image);
        }
        ImgFree(&image);
    }
}

}  // namespace
