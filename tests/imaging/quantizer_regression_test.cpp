// The quantiser's nodes are packed small for photos of many colours; the palettes and pixels
// must stay those the folding order gives. The fingerprints were taken from the quantiser as it
// was before its nodes were packed, on pictures whose colours fill deep and shallow branches.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "texbench/imaging/image_data.h"

namespace {

// A 24-bit picture of smooth gradients with noise, as photos have: tens of thousands of
// colours sharing branches at every level.
IMAGEDATA Photo(unsigned width, unsigned height, std::uint32_t seed) {
    IMAGEDATA image{};
    image.header.wWidth = static_cast<std::uint16_t>(width);
    image.header.wHeight = static_cast<std::uint16_t>(height);
    image.header.bDepth = 24;
    image.header.bAlign = 8;
    image.dwPixelBytes = 3 * width * height;
    image.lpPixels = static_cast<std::uint8_t*>(std::malloc(image.dwPixelBytes));
    std::uint32_t noise = seed;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            std::uint8_t* p = image.lpPixels + 3 * (y * width + x);
            p[0] = static_cast<std::uint8_t>(x * 255 / width + ((noise >> 24) & 7));
            p[1] = static_cast<std::uint8_t>(y * 255 / height + ((noise >> 16) & 15));
            p[2] = static_cast<std::uint8_t>((x + y) * 127 / (width + height) +
                                             ((noise >> 8) & 3) * 40);
        }
    }
    return image;
}

std::uint64_t Fingerprint(const IMAGEDATA& image) {
    std::uint64_t hash = 1469598103934665603ull;
    auto add = [&hash](const std::uint8_t* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            hash = (hash ^ bytes[i]) * 1099511628211ull;
        }
    };
    add(image.lpPalette, std::size_t{image.dwPaletteEntries} * 3);
    add(image.lpPixels, image.dwPixelBytes);
    return hash ^ image.header.dwColorsUsed ^ (std::uint64_t{image.header.bDepth} << 56);
}

TEST(QuantizerRegression, PalettesAndPixelsOfManyColourPicturesStayTheSame) {
    const struct {
        const char* conversion;
        bool (*convert)(IMAGEDATA*, unsigned);
        std::uint64_t fingerprint;
    } cases[] = {
        {"indexed", ImgToIndexed, 0xa65ac84b70e63e5full},
        {"8-bit", ImgTo8Bit, 0xdbecdc7a286a7b5dull},
        {"4-bit", ImgTo4Bit, 0x12a678ea01b22c48ull},
    };
    for (const auto& c : cases) {
        IMAGEDATA image = Photo(320, 240, 17);
        ASSERT_TRUE(c.convert(&image, 32)) << c.conversion;
        EXPECT_GT(image.header.dwColorsUsed, 15u) << c.conversion;
        EXPECT_EQ(Fingerprint(image), c.fingerprint) << c.conversion;
        ImgFree(&image);
    }
}

}  // namespace
