// Every reader holds pictures to one largest size and decodes every valid picture within it,
// however far its compressed body is from the picture's size.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/imaging/iff_test_support.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/packed_dib.h"
#include "texbench/imaging/rim_image.h"
#include "texbench/imaging/tga_image.h"

namespace {

using namespace ifftest;
using Bytes = std::vector<std::uint8_t>;

void Le16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Le32(Bytes& b, std::uint32_t v) {
    Le16(b, v & 0xFFFF);
    Le16(b, v >> 16);
}

// A bitmap information header and colour table (zeroed) as a packed DIB starts.
Bytes DibStart(std::uint32_t width, std::uint32_t height, unsigned bits, unsigned compression,
               std::uint32_t imageSize) {
    Bytes b;
    Le32(b, 40);
    Le32(b, width);
    Le32(b, height);
    Le16(b, 1);
    Le16(b, bits);
    Le32(b, compression);
    Le32(b, imageSize);
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, 0);
    b.insert(b.end(), bits <= 8 ? (4u << bits) : 0u, 0);
    return b;
}

Bytes BitmapFile(std::uint32_t width, std::uint32_t height, unsigned bits, unsigned compression,
                 const Bytes& body) {
    const Bytes dib = DibStart(width, height, bits, compression,
                               compression != 0 ? static_cast<std::uint32_t>(body.size()) : 0);
    Bytes b = {'B', 'M'};
    Le32(b, static_cast<std::uint32_t>(14 + dib.size() + body.size()));
    Le32(b, 0);
    Le32(b, static_cast<std::uint32_t>(14 + dib.size()));
    b.insert(b.end(), dib.begin(), dib.end());
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A top-down Targa file; colour-mapped (256 entries) for 8 bits, true colour otherwise.
Bytes TargaFile(unsigned width, unsigned height, unsigned bits, bool runLength, const Bytes& body) {
    const bool mapped = bits == 8;
    Bytes b = {0, static_cast<std::uint8_t>(mapped ? 1 : 0),
               static_cast<std::uint8_t>((mapped ? 1 : 2) + (runLength ? 8 : 0)), 0, 0};
    Le16(b, mapped ? 256 : 0);
    b.push_back(mapped ? 24 : 0);
    Le32(b, 0);
    Le16(b, width);
    Le16(b, height);
    b.push_back(static_cast<std::uint8_t>(bits));
    b.push_back(0x20);
    b.insert(b.end(), mapped ? 768u : 0u, 0);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes IlbmFile(unsigned width, unsigned height, unsigned planes, unsigned compression,
               const Bytes& body) {
    IlbmLayout layout;
    layout.width = width;
    layout.height = height;
    layout.planes = planes;
    layout.compression = compression;
    layout.withCmap = planes <= 16;
    layout.cmap = Bytes(planes <= 4 ? 48 : 768, 0x20);
    layout.body = body;
    return MakeIlbm(layout);
}

class LargestPicture : public ::testing::Test {
  protected:
    template <typename Image>
    bool Load(Image& image, const Bytes& bytes) {
        const std::string path = dir / "in.pic";
        WriteFile(path, bytes);
        return image.LoadFile(path);
    }
    TempDir dir{"qm-largest"};
};

TEST_F(LargestPicture, TheBoundIsWidthHeightAndDecodedBytes) {
    struct Case {
        std::uint64_t width, height;
        unsigned depth;
        bool fits;
    } cases[] = {
        {1, 1, 4, true},
        {kImgMaxWidth, 1, 24, true},
        {1, kImgMaxHeight, 24, true},
        {kImgMaxWidth + 1, 1, 8, false},
        {1, kImgMaxHeight + 1, 8, false},
        {kImgMaxWidth, kImgMaxHeight, 8, true},    // exactly 256 MiB
        {kImgMaxWidth, kImgMaxHeight, 16, false},  // twice that
        {kImgMaxWidth, 5461, 24, true},
        {kImgMaxWidth, 5462, 24, false},
        {0, 1, 8, false},
        {1, 0, 8, false},
        {1, 1, 3, false},
        {0x100000000ull + 1, 1, 8, false},  // no wrap through 32 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " x " +
                     std::to_string(c.depth));
        EXPECT_EQ(ImgFitsLargestPicture(c.width, c.height, c.depth), c.fits);
    }
}

// Pictures that claim a size beyond the bound are refused on reading, even when the file holds
// every byte that size needs.
TEST_F(LargestPicture, ClaimsBeyondTheBoundAreRefusedOnReading) {
    const unsigned wide = kImgMaxWidth + 1;
    struct Case {
        const char* name;
        std::function<bool()> load;
    };
    const std::vector<Case> cases = {
        {"BMP one row too wide, raw",
         [&] {
             CBmpImage image;
             return Load(image, BitmapFile(wide, 1, 8, 0, Bytes((wide + 3) & ~3u, 1)));
         }},
        {"BMP one column too high, raw",
         [&] {
             CBmpImage image;
             return Load(
                 image, BitmapFile(1, kImgMaxHeight + 1, 24, 0, Bytes(4 * (kImgMaxHeight + 1), 1)));
         }},
        {"BMP 16-bit decodes to 24 bits beyond the bytes",
         [&] {
             CBmpImage image;
             return Load(image, BitmapFile(kImgMaxWidth, 5462, 16, 0, Bytes(64, 0)));
         }},
        {"TGA one row too wide, raw",
         [&] {
             CTgaImage image;
             return Load(image, TargaFile(wide, 1, 24, false, Bytes(3 * wide, 1)));
         }},
        {"TGA 768 MiB run-length picture in 4 bytes",
         [&] {
             CTgaImage image;
             return Load(image,
                         TargaFile(kImgMaxWidth, kImgMaxHeight, 24, true, Bytes{0xFF, 1, 2, 3}));
         }},
        {"ILBM one row too wide, raw",
         [&] {
             CIffImage image;
             return Load(image, IlbmFile(wide, 1, 8, 0, Bytes(8 * ((wide + 15) / 16) * 2, 1)));
         }},
        {"ILBM 768 MiB of 24 planes, ByteRun1",
         [&] {
             CIffImage image;
             return Load(image, IlbmFile(kImgMaxWidth, kImgMaxHeight, 24, 1, Bytes{0x81, 0}));
         }},
        {"RIM slot one row too wide",
         [&] {
             CRimImage image;
             return image.ParseForm(IlbmFile(wide, 1, 8, 1, Bytes{0x81, 0}));
         }},
        {"packed DIB one row too wide",
         [&] {
             IMAGEDATA record{};
             Bytes dib = DibStart(wide, 1, 24, 0, 0);
             dib.resize(dib.size() + 3 * wide + 4, 1);
             const bool ok = ImgFromPackedDib(dib, &record);
             ImgFree(&record);
             return ok;
         }},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.load()) << c.name;
    }
}

// A compressed body may describe a large picture in a few bytes: an end-of-line for every
// blank row, a run and an early end. Each of these decodes, with the rest of the picture 0.
TEST_F(LargestPicture, ShortCompressedBodiesDecodeWhateverTheirRatio) {
    // BMP RLE8, 4200 x 4200 (over 16 MiB): one run of 3, then an end of line per row and the
    // end of the bitmap.
    {
        Bytes body = {3, 9};
        for (int row = 0; row < 4199; ++row) {
            body.insert(body.end(), {0, 0});
        }
        body.insert(body.end(), {0, 1});
        CBmpImage image;
        ASSERT_TRUE(Load(image, BitmapFile(4200, 4200, 8, 1, body)));
        ImageHolder record;
        ASSERT_TRUE(image.ExportTo(record.get()));
        EXPECT_EQ(Bytes(record->lpPixels, record->lpPixels + 4), (Bytes{9, 9, 9, 0}));
        EXPECT_EQ(record->lpPixels[record->dwPixelBytes - 1], 0);
    }
    // BMP RLE4 ending at once.
    {
        CBmpImage image;
        ASSERT_TRUE(Load(image, BitmapFile(3000, 3000, 4, 2, Bytes{4, 0x12, 0, 1})));
        ImageHolder record;
        ASSERT_TRUE(image.ExportTo(record.get()));
        EXPECT_EQ(Bytes(record->lpPixels, record->lpPixels + 5), (Bytes{1, 2, 1, 2, 0}));
    }
    // TGA run-length bodies that end early, true colour and colour-mapped.
    for (unsigned bits : {8u, 24u}) {
        SCOPED_TRACE(bits);
        const Bytes body = bits == 8 ? Bytes{0x81, 7} : Bytes{0x81, 1, 2, 3};
        CTgaImage image;
        ASSERT_TRUE(Load(image, TargaFile(600, 600, bits, true, body)));
        ImageHolder record;
        ASSERT_TRUE(image.ExportTo(record.get()));
        const std::size_t pixel = bits / 8;
        EXPECT_EQ(record->lpPixels[pixel], bits == 8 ? 7 : 1);
        EXPECT_EQ(record->lpPixels[2 * pixel], 0);
    }
    // ILBM ByteRun1: one run of 128 bytes fills plane 0 of the first 1024 pixels.
    {
        CIffImage image;
        ASSERT_TRUE(Load(image, IlbmFile(1024, 512, 8, 1, Bytes{0x81, 0xFF})));
        ImageHolder record;
        ASSERT_TRUE(image.ExportTo(record.get()));
        EXPECT_EQ(record->lpPixels[0], 1);
        EXPECT_EQ(record->lpPixels[1023], 1);
        EXPECT_EQ(record->lpPixels[1024], 0);
    }
    // A RIM slot with the same kind of body (plane-rows are byte-aligned there).
    {
        CRimImage slot;
        ASSERT_TRUE(slot.ParseForm(IlbmFile(1024, 512, 8, 1, Bytes{0x81, 0xFF})));
        ImageHolder record;
        ASSERT_TRUE(slot.ExportTo(record.get()));
        EXPECT_EQ(record->lpPixels[0], 1);
        EXPECT_EQ(record->lpPixels[1024], 0);
    }
}

}  // namespace
