// The image record: validity, flips, row alignment, colour counting and depth conversions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

#include "texbench/imaging/image_data.h"
#include "texbench/imaging/octree_quantizer.h"

namespace {

using Rgb = std::tuple<int, int, int>;

// An owned IMAGEDATA, freed at the end of the test.
struct Image {
    IMAGEDATA data{};
    ~Image() { ImgFree(&data); }
};

// A 24-bit image (rows padded to `align` bits) from colours given row by row.
void Make24(Image& image, unsigned width, unsigned height, const std::vector<Rgb>& colors,
            unsigned align = 8) {
    const std::uint64_t stride = ImgStride(width, 24, align);
    image.data.header.wWidth = static_cast<std::uint16_t>(width);
    image.data.header.wHeight = static_cast<std::uint16_t>(height);
    image.data.header.bDepth = 24;
    image.data.header.bAlign = static_cast<std::uint8_t>(align);
    image.data.dwPixelBytes = static_cast<std::uint32_t>(stride * height);
    image.data.lpPixels = static_cast<std::uint8_t*>(std::calloc(1, image.data.dwPixelBytes));
    for (unsigned i = 0; i < width * height; ++i) {
        std::uint8_t* p = image.data.lpPixels + (i / width) * stride + (i % width) * 3;
        const auto [r, g, b] = colors[i % colors.size()];
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
    }
}

// The colour the image shows at a pixel, whatever its depth.
Rgb ColorAt(const IMAGEDATA& image, unsigned x, unsigned y) {
    const unsigned depth = image.header.bDepth;
    const std::uint8_t* p = image.lpPixels +
                            y * ImgStride(image.header.wWidth, depth, image.header.bAlign) +
                            x * ImgBytesPerPixel(depth);
    if (depth == 24) {
        return {p[2], p[1], p[0]};
    }
    const unsigned index = depth == 16 ? (p[0] | (p[1] << 8)) : p[0];
    const std::uint8_t* e = image.lpPalette + index * 3;
    return {e[2], e[1], e[0]};
}

std::vector<Rgb> DistinctColors(int count) {
    std::vector<Rgb> colors;
    for (int i = 0; i < count; ++i) {
        colors.emplace_back((i * 37) % 256, (i * 91) % 256, (i * 53 + i / 7) % 256);
    }
    return colors;
}

TEST(ImageConversions, TwelveColoursBecomeAFourBitImageWithExactColours) {
    Image image;
    const auto colors = DistinctColors(12);
    Make24(image, 6, 4, colors);
    ASSERT_TRUE(ImgToIndexed(&image.data, 32));
    EXPECT_EQ(image.data.header.bDepth, 4);
    EXPECT_EQ(image.data.header.bAlign, 32);
    EXPECT_EQ(image.data.header.dwColorsUsed, 12u);
    EXPECT_EQ(image.data.dwPaletteEntries, 16u);
    for (int i = 12; i < 16; ++i) {
        EXPECT_EQ(image.data.lpPalette[i * 3] | image.data.lpPalette[i * 3 + 1] |
                      image.data.lpPalette[i * 3 + 2],
                  0)
            << i;
    }
    for (unsigned i = 0; i < 24; ++i) {
        EXPECT_EQ(ColorAt(image.data, i % 6, i / 6), colors[i % 12]) << i;
    }
    EXPECT_TRUE(ImgValidate(&image.data));
}

TEST(ImageConversions, ThreeHundredColoursReduceToExactly256) {
    Image image;
    Make24(image, 30, 10, DistinctColors(300));
    ASSERT_EQ(ImgCountColors(&image.data), 300u);
    ASSERT_TRUE(ImgTo8Bit(&image.data, 0));
    EXPECT_EQ(image.data.header.bDepth, 8);
    EXPECT_EQ(image.data.header.dwColorsUsed, 256u);
    EXPECT_TRUE(ImgValidate(&image.data));
}

TEST(ImageConversions, IndexedPicturesGoBackToTheirPaletteColours) {
    Image image;
    Make24(image, 8, 5, DistinctColors(40));
    ASSERT_TRUE(ImgToIndexed(&image.data, 0));
    ASSERT_EQ(image.data.header.bDepth, 8);
    Image copy;
    Make24(copy, 8, 5, DistinctColors(40));
    ASSERT_TRUE(ImgTo24Bit(&image.data, 32));
    EXPECT_EQ(image.data.lpPalette, nullptr);
    EXPECT_EQ(image.data.header.dwColorsUsed, 0u);
    for (unsigned i = 0; i < 40; ++i) {
        EXPECT_EQ(ColorAt(image.data, i % 8, i / 8), ColorAt(copy.data, i % 8, i / 8));
    }
}

TEST(ImageConversions, ManyColoursBecomeSixteenBitIndexed) {
    Image image;
    std::vector<Rgb> colors;
    for (int i = 0; i < 300 * 2; ++i) {
        colors.emplace_back(i % 256, (i / 256) * 40, 7);
    }
    Make24(image, 600, 1, colors);
    ASSERT_TRUE(ImgToIndexed(&image.data, 0));
    EXPECT_EQ(image.data.header.bDepth, 16);
    EXPECT_EQ(image.data.dwPaletteEntries, 65536u);
    EXPECT_EQ(image.data.header.dwColorsUsed, 600u);
    EXPECT_EQ(ColorAt(image.data, 299, 0), (Rgb{299 % 256, 40, 7}));
    EXPECT_TRUE(ImgValidate(&image.data));
}

TEST(ImageConversions, FourBitFromManyColoursKeepsSixteenAtMost) {
    Image image;
    Make24(image, 64, 4, DistinctColors(256));
    ASSERT_TRUE(ImgTo4Bit(&image.data, 16));
    EXPECT_EQ(image.data.header.bDepth, 4);
    EXPECT_LE(image.data.header.dwColorsUsed, 16u);
    for (std::uint32_t i = 0; i < image.data.dwPixelBytes; ++i) {
        EXPECT_LT(image.data.lpPixels[i], 16) << i;
    }
}

TEST(ImageConversions, AFailedConversionLeavesTheImageUnchanged) {
    Image image;
    Make24(image, 4, 4, DistinctColors(3));
    image.data.dwPixelBytes -= 1;  // the block no longer matches the header
    const IMAGEDATA before = image.data;
    EXPECT_FALSE(ImgTo8Bit(&image.data, 0));
    EXPECT_FALSE(ImgTo4Bit(&image.data, 0));
    EXPECT_FALSE(ImgFlipVertical(&image.data));
    EXPECT_FALSE(ImgSetRowAlignment(&image.data, 32));
    EXPECT_EQ(ImgCountColors(&image.data), 0u);
    EXPECT_EQ(std::memcmp(&before, &image.data, sizeof before), 0);
    image.data.dwPixelBytes += 1;
}

TEST(ImageCounting, IndexedImagesCountIndicesNotColours) {
    Image image;
    image.data.header = {10, 4, 8, 8, 0, 0, 0, 0, 0};
    image.data.lpPalette = ImgCreatePalette(8, false);  // all black
    image.data.dwPaletteEntries = 256;
    image.data.dwPixelBytes = 40;
    image.data.lpPixels = static_cast<std::uint8_t*>(std::malloc(40));
    for (int i = 0; i < 40; ++i) {
        image.data.lpPixels[i] = static_cast<std::uint8_t>(i * 5);
    }
    EXPECT_EQ(ImgCountColors(&image.data), 40u);
}

TEST(ImageLayout, RowAlignmentPadsWithZeros) {
    Image image;
    image.data.header = {3, 2, 8, 8, 0, 0, 0, 0, 0};
    image.data.lpPalette = ImgCreatePalette(8, true);
    image.data.dwPaletteEntries = 256;
    image.data.dwPixelBytes = 6;
    image.data.lpPixels = static_cast<std::uint8_t*>(std::malloc(6));
    std::memcpy(image.data.lpPixels, "\x01\x02\x03\x04\x05\x06", 6);
    ASSERT_TRUE(ImgSetRowAlignment(&image.data, 32));
    ASSERT_EQ(image.data.dwPixelBytes, 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(image.data.lpPixels, image.data.lpPixels + 8),
              (std::vector<std::uint8_t>{1, 2, 3, 0, 4, 5, 6, 0}));
    EXPECT_TRUE(ImgSetRowAlignment(&image.data, 0));
    EXPECT_FALSE(ImgSetRowAlignment(&image.data, 24));
    ASSERT_TRUE(ImgSetRowAlignment(&image.data, 16));
    EXPECT_EQ(image.data.dwPixelBytes, 8u);
    EXPECT_TRUE(ImgValidate(&image.data));
}

TEST(ImageLayout, FlipAndMirrorTwiceRestoreTheImage) {
    Image image;
    Make24(image, 5, 3, DistinctColors(15), 32);
    const std::vector<std::uint8_t> original(image.data.lpPixels,
                                             image.data.lpPixels + image.data.dwPixelBytes);
    ASSERT_TRUE(ImgMirror(&image.data));
    EXPECT_EQ(ColorAt(image.data, 0, 0), DistinctColors(15)[4]);
    EXPECT_EQ(image.data.header.bOrientation, kOrientationMirrored);
    ASSERT_TRUE(ImgFlipVertical(&image.data));
    EXPECT_EQ(ColorAt(image.data, 0, 0), DistinctColors(15)[14]);
    ASSERT_TRUE(ImgMirror(&image.data));
    ASSERT_TRUE(ImgFlipVertical(&image.data));
    EXPECT_EQ(image.data.header.bOrientation, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(image.data.lpPixels,
                                        image.data.lpPixels + image.data.dwPixelBytes),
              original);
}

TEST(ImageValidity, RulesOfTheRecord) {
    Image image;
    Make24(image, 2, 2, DistinctColors(4));
    EXPECT_TRUE(ImgValidate(&image.data));
    image.data.header.bDepth = 16;  // indexed without its 65,536-entry palette
    EXPECT_FALSE(ImgValidate(&image.data));
    image.data.header.bDepth = 24;
    image.data.header.bEncoding = 1;
    EXPECT_FALSE(ImgValidate(&image.data));
    image.data.header.bEncoding = 0;
    image.data.header.bAlign = 24;
    EXPECT_FALSE(ImgValidate(&image.data));
    image.data.header.bAlign = 8;
    image.data.header.dwColorsUsed = 16777216;
    EXPECT_FALSE(ImgValidate(&image.data));
    IMAGEDATA empty{};
    EXPECT_FALSE(ImgValidate(&empty));
}

TEST(ImagePalettes, DefaultPalettes) {
    struct Case {
        unsigned depth;
        std::uint32_t index;
        Rgb color;
    } cases[] = {
        {4, 1, {128, 0, 0}},
        {4, 6, {0, 128, 128}},
        {4, 8, {192, 192, 192}},
        {4, 9, {0, 0, 0}},
        {8, 5 * 42 + 6 * 6 + 5, {255, 255, 255}},
        {8, 1 * 42 + 2 * 6 + 3, {51, 86, 153}},
        {8, 252, {0, 0, 0}},
        {16, (31u << 11) | (1u << 5) | 2u, {248, 4, 16}},
    };
    for (const Case& c : cases) {
        std::uint8_t* palette = ImgCreatePalette(c.depth, true);
        ASSERT_NE(palette, nullptr);
        const std::uint8_t* e = palette + c.index * 3;
        EXPECT_EQ((Rgb{e[2], e[1], e[0]}), c.color) << c.depth << ":" << c.index;
        std::free(palette);
    }
    EXPECT_EQ(ImgCreatePalette(24, true), nullptr);
}

TEST(OctreeQuantizer, MapsUnknownColoursToANeighbourBranch) {
    COctreeQuantizer quantizer;
    quantizer.AddColor(255, 0, 0);
    quantizer.AddColor(0, 0, 255);
    EXPECT_EQ(quantizer.MapColor(255, 0, 0), 0u);  // before the palette: 0
    std::uint8_t palette[16 * 3] = {};
    ASSERT_EQ(quantizer.BuildPalette(palette), 2u);
    // Depth first, children in index order: red (index 1 at the top) before blue (index 4).
    EXPECT_EQ(palette[2], 255);
    EXPECT_EQ(palette[3], 255);
    EXPECT_EQ(quantizer.MapColor(255, 0, 0), 0u);
    EXPECT_EQ(quantizer.MapColor(0, 0, 255), 1u);
    EXPECT_EQ(quantizer.MapColor(250, 10, 10), 0u);  // shares red's branch until it ends
    EXPECT_EQ(quantizer.MapColor(0, 0, 0), 0u);      // index 0 missing: ^1 (red) comes first
}

}  // namespace
