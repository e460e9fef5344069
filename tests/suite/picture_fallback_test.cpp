// The pictures the suite's own file classes refuse, read all the same through the texture
// pipeline: few-plane IFF pictures, 32-bit and grey Targas, PNG and what Qt's readers take,
// with alpha turned into the texture's transparent colour. Files made by hand here; those of
// other programs are in picture_interop_test.cpp.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "suite/picture_alpha.h"
#include "suite/picture_formats.h"
#include "suite/qt/qt_picture_codec.h"
#include "suite/texture_pipeline.h"
#include "tests/imaging/picture_helpers.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "texbench/imaging/byterun1.h"

namespace {

using imaging_test::TopDownRgb;
using Bytes = std::vector<std::uint8_t>;

void PutBe(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void Chunk(Bytes& out, const char* tag, const Bytes& payload) {
    out.insert(out.end(), tag, tag + 4);
    PutBe(out, static_cast<std::uint32_t>(payload.size()), 4);
    out.insert(out.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0) {
        out.push_back(0);
    }
}

// An ILBM of `planes` planes whose pixel x of each row has index x % colours; colour i of the
// map is (i * 40, 255 - i * 40, i).
Bytes FewPlaneIlbm(unsigned width, unsigned height, unsigned planes, bool compressed,
                   std::uint32_t displayModes = 0) {
    const unsigned colours = 1u << planes;
    Bytes bmhd;
    PutBe(bmhd, width, 2);
    PutBe(bmhd, height, 2);
    PutBe(bmhd, 0, 4);
    bmhd.insert(bmhd.end(), {static_cast<std::uint8_t>(planes), 0,
                             static_cast<std::uint8_t>(compressed ? 1 : 0), 0});
    PutBe(bmhd, 0, 2);
    bmhd.insert(bmhd.end(), {1, 1});
    PutBe(bmhd, width, 2);
    PutBe(bmhd, height, 2);
    Bytes cmap;
    for (unsigned i = 0; i < colours; ++i) {
        cmap.insert(cmap.end(),
                    {static_cast<std::uint8_t>(i * 40), static_cast<std::uint8_t>(255 - i * 40),
                     static_cast<std::uint8_t>(i)});
    }
    const unsigned rowBytes = ((width + 15) / 16) * 2;
    Bytes body;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned k = 0; k < planes; ++k) {
            Bytes planeRow(rowBytes, 0);
            for (unsigned x = 0; x < width; ++x) {
                if (((x % colours) >> k) & 1) {
                    planeRow[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
            }
            body.insert(body.end(), planeRow.begin(), planeRow.end());
        }
    }
    if (compressed) {
        body = ByteRun1Encode(body, rowBytes);
    }
    Bytes form = {'I', 'L', 'B', 'M'};
    Chunk(form, "BMHD", bmhd);
    if (displayModes != 0) {
        Bytes camg;
        PutBe(camg, displayModes, 4);
        Chunk(form, "CAMG", camg);
    }
    Chunk(form, "CMAP", cmap);
    Chunk(form, "BODY", body);
    Bytes file;
    Chunk(file, "FORM", form);
    return file;
}

TEST(FewPlaneIlbm, ReadsOneToEightPlanesIntoTheSmallestRecord) {
    qm_test::TempDir dir;
    const struct {
        unsigned planes;
        bool compressed;
        unsigned depth;
    } cases[] = {{1, false, 4}, {2, true, 4}, {3, false, 4}, {5, true, 8}, {7, false, 8}};
    for (const auto& c : cases) {
        const std::string file = dir.File("p" + std::to_string(c.planes) + ".iff");
        // 19 pixels: plane-rows padded to 4 bytes, the last byte half used.
        qm_test::WriteFile(file, FewPlaneIlbm(19, 3, c.planes, c.compressed));
        suite::Picture picture;
        ASSERT_TRUE(suite::ReadPicture(file, suite::PictureFormat::Iff, picture)) << c.planes;
        const IMAGEDATA& image = *picture.image.Get();
        EXPECT_EQ(image.header.bDepth, c.depth) << c.planes;
        const Bytes rgb = TopDownRgb(image);
        const unsigned colours = 1u << c.planes;
        for (unsigned y = 0; y < 3; ++y) {
            for (unsigned x = 0; x < 19; ++x) {
                const unsigned i = x % colours;
                const std::uint8_t* p = &rgb[(y * 19 + x) * 3];
                ASSERT_EQ(p[0], static_cast<std::uint8_t>(i * 40)) << c.planes << " x " << x;
                ASSERT_EQ(p[1], static_cast<std::uint8_t>(255 - i * 40)) << c.planes;
                ASSERT_EQ(p[2], static_cast<std::uint8_t>(i)) << c.planes;
            }
        }
        // And into a texture: few colours, one 4-bit slot.
        CRimArchive texture;
        ASSERT_TRUE(suite::FillSlotsFromPicture(picture, texture)) << c.planes;
        EXPECT_EQ(suite::FilledSlotCount(texture), c.depth == 4 ? 1u : 2u) << c.planes;
    }
}

TEST(FewPlaneIlbm, RefusesWhatItCannotShowRightly) {
    qm_test::TempDir dir;
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"hold-and-modify", FewPlaneIlbm(8, 2, 6, false, 0x800)},
        {"extra-half-bright", FewPlaneIlbm(8, 2, 6, false, 0x80)},
        {"cut body",
         [] {
             Bytes b = FewPlaneIlbm(16, 4, 3, false);
             b.resize(b.size() - 6);
             const auto form = static_cast<std::uint32_t>(b.size() - 8);  // still agrees
             for (int i = 0; i < 4; ++i) {
                 b[4 + i] = static_cast<std::uint8_t>(form >> (24 - 8 * i));
             }
             return b;
         }()},
        {"nine planes", FewPlaneIlbm(8, 2, 1, false)},
    };
    for (const auto& c : cases) {
        Bytes bytes = c.bytes;
        if (std::string(c.name) == "nine planes") {
            bytes[20 + 8] = 9;  // BMHD's plane count
        }
        const std::string file = dir.File("x.iff");
        qm_test::WriteFile(file, bytes);
        suite::Picture picture;
        EXPECT_FALSE(suite::ReadPicture(file, suite::PictureFormat::Iff, picture)) << c.name;
        EXPECT_EQ(picture.image.Get()->lpPixels, nullptr) << c.name;
    }
}

// A Targa as paint programs write it: 18-byte header, then pixels.
Bytes Tga(unsigned type, unsigned width, unsigned height, unsigned depth, unsigned descriptor,
          const Bytes& body) {
    Bytes out = {0, 0, static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    out.insert(out.end(),
               {static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
                static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8),
                static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(descriptor)});
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

TEST(OtherTga, ThirtyTwoBitAlphaBecomesAFreeTransparentColour) {
    qm_test::TempDir dir;
    // Top-down 3 x 1: magenta opaque, transparent (its colour bytes say white), green opaque.
    const Bytes body = {255, 0, 255, 255, 255, 255, 255, 0, 0, 255, 0, 255};
    const std::string file = dir.File("a.tga");
    qm_test::WriteFile(file, Tga(2, 3, 1, 32, 0x28, body));
    const struct {
        std::optional<std::uint32_t> preferred;
        std::uint32_t painted;  // 0x00BBGGRR
    } cases[] = {
        {std::nullopt, 0x000000},  // magenta is taken: the first free colour, black
        {0x00FF0000, 0x00FF0000},  // the old item's blue is free
        {0x0000FF00, 0x000000},    // the old item's green is taken by an opaque pixel
    };
    for (const auto& c : cases) {
        suite::Picture picture;
        suite::PictureReading reading;
        reading.preferredTransparent = c.preferred;
        ASSERT_TRUE(suite::ReadPicture(file, suite::PictureFormat::Tga, picture, reading));
        ASSERT_TRUE(picture.transparentColor.has_value());
        EXPECT_EQ(*picture.transparentColor, c.painted);
        const Bytes rgb = TopDownRgb(*picture.image.Get());
        EXPECT_EQ(
            Bytes(rgb.begin() + 3, rgb.begin() + 6),
            (Bytes{static_cast<std::uint8_t>(c.painted), static_cast<std::uint8_t>(c.painted >> 8),
                   static_cast<std::uint8_t>(c.painted >> 16)}));
        EXPECT_EQ(Bytes(rgb.begin(), rgb.begin() + 3), (Bytes{255, 0, 255}));
        EXPECT_EQ(Bytes(rgb.begin() + 6, rgb.end()), (Bytes{0, 255, 0}));

        CRimArchive texture;
        ASSERT_TRUE(suite::FillSlotsFromPicture(picture, texture));
        EXPECT_NE(texture.GetTransparencyMode(), 0u);
        EXPECT_EQ(texture.GetTransparentColorWord() >> 8, c.painted);
    }
}

TEST(OtherTga, GreyRunLengthAndAlphaThatIsNoAlpha) {
    qm_test::TempDir dir;
    // Grey, run-length, bottom-up 2 x 2: a run of two 10s (the bottom row), then 20, 30 raw.
    qm_test::WriteFile(dir.File("g.tga"), Tga(11, 2, 2, 8, 0, {0x81, 10, 0x01, 20, 30}));
    suite::Picture grey;
    ASSERT_TRUE(suite::ReadPicture(dir.File("g.tga"), suite::PictureFormat::Tga, grey));
    EXPECT_EQ(grey.image.Get()->header.bDepth, 8);
    EXPECT_EQ(TopDownRgb(*grey.image.Get()),
              (Bytes{20, 20, 20, 30, 30, 30, 10, 10, 10, 10, 10, 10}));

    // Every alpha byte 0, as writers without alpha leave it: the picture stays opaque.
    qm_test::WriteFile(dir.File("z.tga"), Tga(2, 2, 1, 32, 0x28, {1, 2, 3, 0, 4, 5, 6, 0}));
    suite::Picture opaque;
    ASSERT_TRUE(suite::ReadPicture(dir.File("z.tga"), suite::PictureFormat::Tga, opaque));
    EXPECT_FALSE(opaque.transparentColor.has_value());
    EXPECT_EQ(TopDownRgb(*opaque.image.Get()), (Bytes{3, 2, 1, 6, 5, 4}));

    // A run that would write past the picture, and a raw body cut short, are refused.
    const Bytes refused[] = {Tga(10, 2, 1, 32, 0x28, {0x82, 1, 2, 3, 255}),
                             Tga(2, 2, 2, 32, 0x28, {1, 2, 3, 255})};
    for (const Bytes& bytes : refused) {
        qm_test::WriteFile(dir.File("bad.tga"), bytes);
        suite::Picture picture;
        EXPECT_FALSE(suite::ReadPicture(dir.File("bad.tga"), suite::PictureFormat::Tga, picture));
    }
}

TEST(OtherTga, AColourMapBeforeTrueColourPixelsIsSkippedWhateverItsEntrySize) {
    qm_test::TempDir dir;
    // 2 x 1 top-down, 32 bits, after a map of three 8-bit entries that means nothing to them.
    Bytes withMap = Tga(2, 2, 1, 32, 0x28, {9, 9, 9, 1, 2, 3, 255, 4, 5, 6, 255});
    withMap[1] = 1;  // map type: a map is present
    withMap[5] = 3;  // three entries
    withMap[7] = 8;  // of 8 bits each, which no mapped picture could use
    qm_test::WriteFile(dir.File("m.tga"), withMap);
    suite::Picture picture;
    ASSERT_TRUE(suite::ReadPicture(dir.File("m.tga"), suite::PictureFormat::Tga, picture));
    EXPECT_EQ(TopDownRgb(*picture.image.Get()), (Bytes{3, 2, 1, 6, 5, 4}));

    // A map of entries with no bytes at all, claimed by a map type no writer uses, ended where
    // the header did; reading the entries ran past the file.
    Bytes strangeMap = Tga(2, 1, 1, 32, 0x28, {});
    strangeMap[1] = 0xFF;
    strangeMap[5] = 101;
    qm_test::WriteFile(dir.File("s.tga"), strangeMap);
    EXPECT_FALSE(suite::ReadPicture(dir.File("s.tga"), suite::PictureFormat::Tga, picture));
}

TEST(QtPictureCodec, PngKeepsPaletteIndicesAndTransparencyBothWays) {
    qm_test::TempDir dir;
    suite::QtPictureCodec codec;
    // A 4-bit record, 3 x 2, index 2 transparent.
    suite::ImageRecord record;
    IMAGEDATA* image = record.Get();
    image->header = {3, 2, 4, 8, kOrientationBottomUp, 0, kMaskingTransparentColor, 2, 3};
    image->lpPalette = ImgCreatePalette(4, false);
    image->dwPaletteEntries = 16;
    const std::uint8_t colours[3][3] = {{0, 0, 200}, {0, 200, 0}, {7, 8, 9}};  // blue, green, red
    std::memcpy(image->lpPalette, colours, sizeof colours);
    image->dwPixelBytes = 6;
    image->lpPixels = static_cast<std::uint8_t*>(std::malloc(6));
    const std::uint8_t pixels[6] = {0, 1, 2, 2, 1, 0};  // bottom row first
    std::memcpy(image->lpPixels, pixels, 6);
    const std::string file = dir.File("t.png");
    ASSERT_TRUE(suite::WritePicture(image, file, suite::PictureFormat::Png, &codec));

    const QImage written(QString::fromStdString(file));
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(qAlpha(written.pixel(0, 0)), 0) << "top-left is index 2, the transparent one";
    EXPECT_EQ(written.pixel(1, 0), qRgb(0, 200, 0));
    EXPECT_EQ(written.pixel(2, 0), qRgb(200, 0, 0));
    EXPECT_EQ(qAlpha(written.pixel(2, 1)), 0);

    suite::Picture back;
    suite::PictureReading reading;
    reading.fallback = &codec;
    reading.preferredTransparent = 0x00070809;  // the colour of index 2
    ASSERT_TRUE(suite::ReadPicture(file, suite::PictureFormat::Png, back, reading));
    ASSERT_TRUE(back.transparentColor.has_value());
    EXPECT_EQ(*back.transparentColor, 0x00070809u);
    EXPECT_EQ(TopDownRgb(*back.image.Get()),
              (Bytes{9, 8, 7, 0, 200, 0, 200, 0, 0, 200, 0, 0, 0, 200, 0, 9, 8, 7}));

    // Without a codec PNG is neither read nor written.
    suite::Picture none;
    EXPECT_FALSE(suite::ReadPicture(file, suite::PictureFormat::Png, none));
    EXPECT_FALSE(suite::WritePicture(image, dir.File("u.png"), suite::PictureFormat::Png, nullptr));
}

TEST(QtPictureCodec, RefusesPicturesBeyondTheLargestFromTheirHeader) {
    qm_test::TempDir dir;
    suite::QtPictureCodec codec;
    suite::PictureReading reading;
    reading.fallback = &codec;
    const struct {
        int width, height;
        bool accepted;
    } cases[] = {{16384, 1, true}, {16385, 1, false}, {1, 16385, false}};
    for (const auto& c : cases) {
        QImage wide(c.width, c.height, QImage::Format_Indexed8);
        wide.setColorTable({qRgb(1, 2, 3)});
        wide.fill(0);
        const std::string file = dir.File("wide.png");
        ASSERT_TRUE(wide.save(QString::fromStdString(file)));
        suite::Picture picture;
        EXPECT_EQ(suite::ReadPicture(file, suite::PictureFormat::Png, picture, reading), c.accepted)
            << c.width << " x " << c.height;
    }
}

TEST(PictureFilters, TheSixEntriesInTheirOrderAndTheDialogsText) {
    std::string text;
    int expected = 1;
    for (const suite::PictureFilter& filter : suite::ImageFilters()) {
        EXPECT_EQ(filter.index, expected++);
        text += std::string(filter.text) + "|" + filter.pattern + "|";
        EXPECT_EQ(std::string("*") + filter.extension, filter.pattern);
    }
    EXPECT_EQ(expected, 7);
    EXPECT_EQ(text + "|||", suite::kImageFilterText);
    // "Import Type" / "Export Type" 1 to 5 keep their meaning; PNG comes sixth.
    EXPECT_EQ(suite::ImageFilterByIndex(5)->format, suite::PictureFormat::Tga);
    EXPECT_EQ(suite::ImageFilterByIndex(6)->format, suite::PictureFormat::Png);
    EXPECT_EQ(suite::ImageFilterByIndex(0), nullptr);
    EXPECT_EQ(suite::ImageFilterByIndex(7), nullptr);
    const struct {
        const char* path;
        int index;  // 0: none
    } cases[] = {{"a.PNG", 6}, {"a.lbm", 2}, {"x/a.ilbm", 2}, {"a.dib", 4},
                 {"a.rim", 1}, {"a.gif", 0}, {"png", 0},      {"a.png/b", 0}};
    for (const auto& c : cases) {
        const suite::PictureFilter* filter = suite::ImageFilterForPath(c.path);
        EXPECT_EQ(filter != nullptr ? filter->index : 0, c.index) << c.path;
    }
}

}  // namespace
