// Packed DIBs, the clipboard's bitmap form.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/packed_dib.h"
#include "texbench/imaging/tga_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

Bytes DibHeader(std::int32_t width, std::int32_t height, unsigned depth, std::uint32_t colorsUsed) {
    Bytes b(40, 0);
    Put32(b, 0, 40);
    Put32(b, 4, static_cast<std::uint32_t>(width));
    Put32(b, 8, static_cast<std::uint32_t>(height));
    b[12] = 1;
    b[14] = static_cast<std::uint8_t>(depth);
    Put32(b, 32, colorsUsed);
    return b;
}

IMAGEDATA MakeImage(unsigned depth, unsigned width, unsigned height, std::uint8_t orientation) {
    IMAGEDATA image{};
    image.header = {static_cast<std::uint16_t>(width),
                    static_cast<std::uint16_t>(height),
                    static_cast<std::uint8_t>(depth),
                    8,
                    orientation,
                    0,
                    0,
                    0,
                    0};
    if (depth != 24) {
        image.lpPalette = ImgCreatePalette(depth, true);
        image.dwPaletteEntries = ImgPaletteEntries(depth);
    }
    image.dwPixelBytes = static_cast<std::uint32_t>(ImgStride(width, depth, 8) * height);
    image.lpPixels = static_cast<std::uint8_t*>(std::malloc(image.dwPixelBytes));
    for (std::uint32_t i = 0; i < image.dwPixelBytes; ++i) {
        image.lpPixels[i] = static_cast<std::uint8_t>(depth == 4 ? (i * 5) % 16 : i * 29 + 3);
    }
    return image;
}

// Colour at a picture position (top-down), whatever the stored orientation and depth.
std::vector<int> ColorAt(const IMAGEDATA& image, unsigned x, unsigned y) {
    const unsigned row =
        (image.header.bOrientation & kOrientationBottomUp) ? image.header.wHeight - 1 - y : y;
    const unsigned depth = image.header.bDepth;
    const std::uint8_t* p = image.lpPixels +
                            row * ImgStride(image.header.wWidth, depth, image.header.bAlign) +
                            x * ImgBytesPerPixel(depth);
    const std::uint8_t* c = depth == 24 ? p : image.lpPalette + p[0] * 3;
    return {c[0], c[1], c[2]};
}

TEST(PackedDib, RoundTripsKeepThePicture) {
    for (unsigned depth : {4u, 8u, 24u}) {
        for (std::uint8_t orientation : {std::uint8_t{0}, kOrientationBottomUp}) {
            IMAGEDATA image = MakeImage(depth, 5, 3, orientation);
            const Bytes dib = ImgToPackedDib(&image);
            ASSERT_FALSE(dib.empty()) << depth;
            EXPECT_EQ(dib[8], 3);  // height positive: rows bottom-up
            IMAGEDATA back{};
            ASSERT_TRUE(ImgFromPackedDib(dib, &back)) << depth;
            EXPECT_TRUE(ImgValidate(&back));
            for (unsigned y = 0; y < 3; ++y) {
                for (unsigned x = 0; x < 5; ++x) {
                    EXPECT_EQ(ColorAt(back, x, y), ColorAt(image, x, y))
                        << depth << " " << x << "," << y;
                }
            }
            ImgFree(&image);
            ImgFree(&back);
        }
    }
}

TEST(PackedDib, ShortColourTablesPutTheBitsEarlier) {
    Bytes dib = DibHeader(2, 1, 8, 16);
    Bytes table(16 * 4, 0);
    table[15 * 4 + 2] = 200;  // entry 15 red
    dib.insert(dib.end(), table.begin(), table.end());
    dib.insert(dib.end(), {15, 0, 0, 0});  // at offset 104
    IMAGEDATA image{};
    ASSERT_TRUE(ImgFromPackedDib(dib, &image));
    EXPECT_EQ(image.dwPaletteEntries, 256u);
    EXPECT_EQ(ColorAt(image, 0, 0), (std::vector<int>{0, 0, 200}));
    for (int i = 16; i < 256; ++i) {
        EXPECT_EQ(image.lpPalette[i * 3] + image.lpPalette[i * 3 + 1] + image.lpPalette[i * 3 + 2],
                  0);
    }
    ImgFree(&image);
}

TEST(PackedDib, BadOrShortDibsAreRefused) {
    Bytes good = DibHeader(3, -2, 24, 0);
    good.resize(good.size() + 2 * 12, 0x55);
    IMAGEDATA image{};
    ASSERT_TRUE(ImgFromPackedDib(good, &image));
    EXPECT_EQ(image.header.bOrientation, 0);  // negative height: top-down
    ImgFree(&image);
    for (std::size_t length = 0; length < good.size(); ++length) {
        EXPECT_FALSE(ImgFromPackedDib(std::span(good.data(), length), &image)) << length;
        EXPECT_EQ(image.lpPixels, nullptr);
    }
    struct Case {
        const char* name;
        Bytes dib;
    } cases[] = {
        {"one bit", DibHeader(1, 1, 1, 0)},
        {"huge", DibHeader(65535, 65535, 24, 0)},
        {"table too long", DibHeader(1, 1, 4, 17)},
        {"zero width", DibHeader(0, 1, 8, 0)},
    };
    for (auto& c : cases) {
        c.dib.resize(c.dib.size() + 4096, 0);
        EXPECT_FALSE(ImgFromPackedDib(c.dib, &image)) << c.name;
    }
    std::mt19937 random(2);
    for (int round = 0; round < 500; ++round) {
        Bytes damaged = good;
        damaged[random() % 40] = static_cast<std::uint8_t>(random());
        if (ImgFromPackedDib(damaged, &image)) {
            EXPECT_TRUE(ImgValidate(&image));
        }
        ImgFree(&image);
    }
}

TEST(PackedDib, ImageClassesPasteAndCopyThroughIt) {
    IMAGEDATA image = MakeImage(8, 4, 4, 0);
    const Bytes dib = ImgToPackedDib(&image);
    CTgaImage tga;
    ASSERT_TRUE(tga.FromPackedDib(dib));
    CBmpImage bmp;
    ASSERT_TRUE(bmp.FromPackedDib(tga.ToPackedDib()));
    IMAGEDATA back{};
    ASSERT_TRUE(bmp.ExportTo(&back));
    EXPECT_EQ(ColorAt(back, 3, 0), ColorAt(image, 3, 0));
    EXPECT_EQ(ColorAt(back, 0, 3), ColorAt(image, 0, 3));
    ImgFree(&image);
    ImgFree(&back);
}

}  // namespace
