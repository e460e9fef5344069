#include <gtest/gtest.h>

#include <random>

#include "texbench/imaging/planar.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Bit by bit, straight from the layout's definition.
Bytes NaivePlanar(const Bytes& pixels, const PlanarLayout& l) {
    Bytes body(l.BodyBytes(), 0);
    for (unsigned y = 0; y < l.height; ++y) {
        for (unsigned k = 0; k < l.planes; ++k) {
            const unsigned byte = l.highByteFirst ? l.pixelBytes - 1 - k / 8 : k / 8;
            for (unsigned x = 0; x < l.width; ++x) {
                const std::uint8_t v = pixels[(y * l.width + x) * l.pixelBytes + byte];
                if ((v >> (k % 8)) & 1) {
                    body[(y * l.planes + k) * l.rowBytes + x / 8] |=
                        static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
            }
        }
    }
    return body;
}

TEST(Planar, MatchesBitByBitLayoutAndRoundTrips) {
    std::mt19937 rng(5);
    struct Shape {
        unsigned planes, pixelBytes;
        bool highByteFirst;
    };
    const Shape shapes[] = {{1, 1, true}, {4, 1, true},  {5, 1, true},   {8, 1, true},
                            {9, 2, true}, {16, 2, true}, {24, 3, false}, {13, 2, true}};
    for (const Shape& shape : shapes) {
        for (unsigned width : {1u, 7u, 8u, 9u, 17u, 64u}) {
            SCOPED_TRACE(testing::Message() << shape.planes << " planes, width " << width);
            PlanarLayout l;
            l.width = width;
            l.height = 3;
            l.planes = shape.planes;
            l.pixelBytes = shape.pixelBytes;
            l.highByteFirst = shape.highByteFirst;
            l.rowBytes = (width + 15) / 16 * 2;  // padded like ILBM; padding stays zero
            Bytes pixels(l.ChunkyBytes());
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                pixels[i] = static_cast<std::uint8_t>(rng());
            }
            // Bits above the plane count are not stored: mask them for the comparison.
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                const unsigned fromLow = static_cast<unsigned>(
                    shape.highByteFirst ? shape.pixelBytes - 1 - i % shape.pixelBytes
                                        : i % shape.pixelBytes);
                const int bits = static_cast<int>(shape.planes) - static_cast<int>(8 * fromLow);
                pixels[i] &= bits >= 8 ? 0xFF : bits <= 0 ? 0 : (1u << bits) - 1;
            }
            Bytes body;
            ASSERT_TRUE(ChunkyToPlanar(pixels, l, body));
            EXPECT_EQ(body, NaivePlanar(pixels, l));
            Bytes back;
            ASSERT_TRUE(PlanarToChunky(body, l, back));
            EXPECT_EQ(back, pixels);
        }
    }
}

TEST(Planar, RefusesShortBuffersAndBadLayouts) {
    PlanarLayout l;
    l.width = 10;
    l.height = 2;
    l.planes = 8;
    l.pixelBytes = 1;
    l.rowBytes = 2;
    Bytes out;
    EXPECT_FALSE(PlanarToChunky(Bytes(l.BodyBytes() - 1), l, out));
    EXPECT_FALSE(ChunkyToPlanar(Bytes(l.ChunkyBytes() - 1), l, out));
    PlanarLayout narrowRows = l;
    narrowRows.rowBytes = 1;  // 10 pixels do not fit 8 bits
    EXPECT_FALSE(PlanarToChunky(Bytes(100), narrowRows, out));
    PlanarLayout smallPixels = l;
    smallPixels.planes = 9;  // 9 planes need 2 bytes a pixel
    EXPECT_FALSE(ChunkyToPlanar(Bytes(1000), smallPixels, out));
}

}  // namespace
