#include "texbench/imaging/iff_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/imaging/iff_test_support.h"
#include "texbench/imaging/byterun1.h"
#include "texbench/imaging/rim_image.h"

namespace {

using namespace ifftest;
using Bytes = std::vector<std::uint8_t>;

// Loads bytes as a file; the image is left as LoadFile leaves it.
bool LoadBytes(CIffImage& image, const Bytes& bytes, const TempDir& dir) {
    const std::string path = dir / "in.iff";
    WriteFile(path, bytes);
    return image.LoadFile(path);
}

Bytes Gray8Cmap(unsigned entries) {
    Bytes cmap;
    for (unsigned i = 0; i < entries; ++i) {
        cmap.insert(cmap.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                 static_cast<std::uint8_t>(i)});
    }
    return cmap;
}

class IffImageTest : public ::testing::Test {
  protected:
    TempDir dir{"qm-iff"};
};

TEST_F(IffImageTest, RoundTripsEveryDepthThroughAFile) {
    for (unsigned depth : {4u, 8u, 24u}) {
        SCOPED_TRACE(depth);
        ImageHolder source(MakeImage(19, 5, depth));
        std::mt19937 rng(depth);
        for (std::uint32_t i = 0; i < source->dwPixelBytes; ++i) {
            source->lpPixels[i] = static_cast<std::uint8_t>(depth == 4 ? rng() % 16 : rng());
        }
        for (std::uint32_t i = 0; source->lpPalette && i < source->dwPaletteEntries * 3; ++i) {
            source->lpPalette[i] = static_cast<std::uint8_t>(rng());
        }
        CIffImage image;
        ASSERT_TRUE(image.ImportFrom(source.get()));
        ASSERT_TRUE(image.SaveFile(dir / "out.iff"));
        EXPECT_EQ(ReadFile(dir / "out.iff").size(), image.GetFileSize());
        CIffImage loaded;
        ASSERT_TRUE(loaded.LoadFile(dir / "out.iff"));
        ImageHolder back;
        ASSERT_TRUE(loaded.ExportTo(back.get()));
        EXPECT_EQ(back->header.bDepth, depth);
        ASSERT_EQ(back->dwPixelBytes, source->dwPixelBytes);
        EXPECT_EQ(0, std::memcmp(back->lpPixels, source->lpPixels, source->dwPixelBytes));
        ASSERT_EQ(back->dwPaletteEntries, source->dwPaletteEntries);
        if (depth != 24) {
            EXPECT_EQ(
                0, std::memcmp(back->lpPalette, source->lpPalette, source->dwPaletteEntries * 3));
        }
    }
}

TEST_F(IffImageTest, WritesTheFileLayout) {
    // A 4-bit picture 17 pixels wide: 4 planes, 16-entry CMAP, plane-rows of 4 bytes.
    ImageHolder source(MakeImage(17, 2, 4));
    source->lpPixels[0] = 0x0F;   // top-left pixel: all four planes
    source->lpPixels[16] = 0x01;  // last pixel of the top row: plane 0
    source->lpPalette[3] = 0x30;  // entry 1 blue
    CIffImage image;
    ASSERT_TRUE(image.ImportFrom(source.get()));
    ASSERT_TRUE(image.SaveFile(dir / "out.iff"));
    const Bytes file = ReadFile(dir / "out.iff");
    ASSERT_EQ(file.size(), 56u + 48u + 2 * 4 * 4);
    EXPECT_EQ(0, std::memcmp(file.data(), "FORM", 4));
    EXPECT_EQ(0, std::memcmp(file.data() + 8, "ILBMBMHD", 8));
    EXPECT_EQ(file[28], 4);  // planes
    EXPECT_EQ(file[30], 0);  // written uncompressed
    EXPECT_EQ(0, std::memcmp(file.data() + 40, "CMAP", 4));
    EXPECT_EQ(file[47], 48);
    EXPECT_EQ(file[48 + 5], 0x30);  // entry 1 as red, green, blue
    const std::uint8_t* body = file.data() + 48 + 48 + 8;
    EXPECT_EQ(0, std::memcmp(body - 8, "BODY", 4));
    // Plane 0 of row 0: pixel 0 and pixel 16.
    EXPECT_EQ(body[0], 0x80);
    EXPECT_EQ(body[2], 0x80);
    for (int plane = 1; plane < 4; ++plane) {
        EXPECT_EQ(body[plane * 4], 0x80) << plane;
        EXPECT_EQ(body[plane * 4 + 2], 0x00) << plane;
    }
}

TEST_F(IffImageTest, SixteenBitRecordIsWrittenAsTwentyFourPlanes) {
    ImageHolder source(MakeImage(3, 1, 16));
    source->lpPixels[2] = 0x34;  // pixel 1 = index 0x1234 (little-endian in the record)
    source->lpPixels[3] = 0x12;
    std::uint8_t* entry = source->lpPalette + 3 * 0x1234;
    entry[0] = 1, entry[1] = 2, entry[2] = 3;  // blue, green, red
    CIffImage image;
    ASSERT_TRUE(image.ImportFrom(source.get()));
    ASSERT_TRUE(image.SaveFile(dir / "out.iff"));
    CIffImage loaded;
    ASSERT_TRUE(loaded.LoadFile(dir / "out.iff"));
    ImageHolder back;
    ASSERT_TRUE(loaded.ExportTo(back.get()));
    ASSERT_EQ(back->header.bDepth, 24);
    EXPECT_EQ(back->lpPixels[3], 1);
    EXPECT_EQ(back->lpPixels[4], 2);
    EXPECT_EQ(back->lpPixels[5], 3);
}

TEST_F(IffImageTest, MirroredBottomUpRecordIsWrittenUpright) {
    ImageHolder source(MakeImage(2, 2, 8));
    source->header.bOrientation = kOrientationBottomUp | kOrientationMirrored;
    source->lpPixels[0] = 1, source->lpPixels[1] = 2, source->lpPixels[2] = 3,
    source->lpPixels[3] = 4;
    CIffImage image;
    ASSERT_TRUE(image.ImportFrom(source.get()));
    ImageHolder back;
    ASSERT_TRUE(image.ExportTo(back.get()));
    EXPECT_EQ(back->header.bOrientation, 0);
    EXPECT_EQ(Bytes(back->lpPixels, back->lpPixels + 4), (Bytes{4, 3, 2, 1}));
}

TEST_F(IffImageTest, ReadsHandMadeFiles) {
    // An 8-plane picture two pixels wide: pixel 0 = 0x81, pixel 1 = 0x01.
    Bytes body(8 * 2, 0);
    body[0] = 0xC0;      // plane 0: both pixels
    body[7 * 2] = 0x80;  // plane 7: pixel 0
    IlbmLayout plain;
    plain.cmap = Gray8Cmap(32);
    plain.body = body;

    CIffImage image;
    ASSERT_TRUE(LoadBytes(image, MakeIlbm(plain), dir));
    ImageHolder back;
    ASSERT_TRUE(image.ExportTo(back.get()));
    EXPECT_EQ(back->lpPixels[0], 0x81);
    EXPECT_EQ(back->lpPixels[1], 0x01);
    // A 32-entry CMAP fills the start of a 256-entry palette; the rest is black.
    ASSERT_EQ(back->dwPaletteEntries, 256u);
    EXPECT_EQ(back->lpPalette[31 * 3], 31);
    EXPECT_EQ(back->lpPalette[32 * 3], 0);
    EXPECT_EQ(back->lpPalette[255 * 3 + 1], 0);

    // Any non-zero compression byte means ByteRun1.
    IlbmLayout packed = plain;
    packed.compression = 2;
    packed.body = ByteRun1Encode(body, 0);
    CIffImage unpacked;
    ASSERT_TRUE(LoadBytes(unpacked, MakeIlbm(packed), dir));
    ImageHolder back2;
    ASSERT_TRUE(unpacked.ExportTo(back2.get()));
    EXPECT_EQ(Bytes(back2->lpPixels, back2->lpPixels + 2), (Bytes{0x81, 0x01}));

    // A CMAP longer than 8 planes allow is cut and the rest skipped.
    IlbmLayout longMap = plain;
    longMap.cmap = Bytes(900, 7);
    CIffImage cut;
    EXPECT_TRUE(LoadBytes(cut, MakeIlbm(longMap), dir));

    // True colour without CMAP is fine.
    IlbmLayout trueColor;
    trueColor.planes = 24;
    trueColor.withCmap = false;
    trueColor.body = Bytes(24 * 2, 0xFF);
    CIffImage rgb;
    EXPECT_TRUE(LoadBytes(rgb, MakeIlbm(trueColor), dir));
}

TEST_F(IffImageTest, RefusesFilesItCannotHold) {
    IlbmLayout base;
    base.cmap = Gray8Cmap(256);
    base.body = Bytes(16, 0);
    struct Case {
        const char* name;
        IlbmLayout layout;
    };
    std::vector<Case> cases;
    IlbmLayout s = base;
    s.planes = 24;
    s.body = Bytes(48, 0);
    cases.push_back({"24 planes with CMAP", s});
    for (unsigned planes : {4u, 8u, 16u}) {
        s = base;
        s.planes = planes;
        s.withCmap = false;
        s.body = Bytes(2 * planes, 0);
        cases.push_back({"indexed without CMAP", s});
    }
    for (unsigned planes : {1u, 2u, 3u, 5u, 6u, 7u, 0u, 32u}) {
        s = base;
        s.planes = planes;
        cases.push_back({"unsupported plane count", s});
    }
    s = base;
    s.masking = 1;
    cases.push_back({"mask plane", s});
    s = base;
    s.width = 0;
    cases.push_back({"zero width", s});
    s = base;
    s.height = 0;
    cases.push_back({"zero height", s});
    s = base;
    s.width = s.height = 65535;
    cases.push_back({"huge picture, small raw body", s});
    s.compression = 1;
    cases.push_back({"huge picture, small packed body", s});
    s = base;
    s.body = Bytes(15, 0);
    cases.push_back({"raw body one byte short", s});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CIffImage image;
        EXPECT_FALSE(LoadBytes(image, MakeIlbm(c.layout), dir));
        EXPECT_TRUE(image.IsEmpty());
    }
}

// A short CMAP says nothing about the indices the body uses: a slot built from the picture
// must keep all eight planes, so index 200 stays 200 and is not cut to its low five bits.
TEST_F(IffImageTest, AShortColourMapLeavesTheColourCountOpen) {
    IlbmLayout layout;
    layout.cmap = Gray8Cmap(32);
    layout.body = Bytes(8 * 2, 0);
    for (unsigned plane = 0; plane < 8; ++plane) {
        if (200 & (1u << plane)) {
            layout.body[plane * 2] = 0x80;  // pixel 0 = 200, pixel 1 = 0
        }
    }
    CIffImage image;
    ASSERT_TRUE(LoadBytes(image, MakeIlbm(layout), dir));
    ImageHolder record;
    ASSERT_TRUE(image.ExportTo(record.get()));
    EXPECT_EQ(record->header.dwColorsUsed, 0u);
    ASSERT_EQ(record->lpPixels[0], 200);

    CRimImage slot;
    ASSERT_TRUE(slot.ImportFrom(record.get()));
    const Bytes form = slot.BuildForm();
    CRimImage parsed;
    ASSERT_TRUE(parsed.ParseForm(form));
    EXPECT_EQ(parsed.GetPlanes(), 8u);
    ImageHolder back;
    ASSERT_TRUE(parsed.ExportTo(back.get()));
    EXPECT_EQ(back->lpPixels[0], 200);
    EXPECT_EQ(back->lpPixels[1], 0);
}

// Writers may store a BMHD longer than its 20 known bytes; the next chunk starts where the
// chunk's size says, with the pad byte after an odd size.
TEST_F(IffImageTest, ReadsBitmapHeadersLongerThanTwentyBytes) {
    for (std::size_t extra : {1u, 2u, 4u, 11u}) {
        SCOPED_TRACE(20 + extra);
        IlbmLayout layout;
        layout.cmap = Gray8Cmap(256);
        layout.body = Bytes(8 * 2, 0);
        layout.body[0] = 0x40;  // plane 0, pixel 1
        layout.bmhdExtra = extra;
        CIffImage image;
        ASSERT_TRUE(LoadBytes(image, MakeIlbm(layout), dir));
        ImageHolder record;
        ASSERT_TRUE(image.ExportTo(record.get()));
        EXPECT_EQ(Bytes(record->lpPixels, record->lpPixels + 2), (Bytes{0, 1}));
        EXPECT_EQ(record->lpPalette[255 * 3], 255);
    }
}

// Hold-and-modify and extra-half-bright pixels are not palette indices; decoding them as such
// gives wrong colours, so such pictures are refused. Other display modes are read as before.
TEST_F(IffImageTest, RefusesHoldAndModifyAndExtraHalfBright) {
    struct Case {
        std::uint32_t modes;
        bool readable;
    } cases[] = {{0x800, false}, {0x880, false}, {0x80, false}, {0x8804, false},
                 {0x0, true},    {0x4, true},    {0x8000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.modes);
        IlbmLayout layout;
        layout.cmap = Gray8Cmap(64);
        layout.body = Bytes(8 * 2, 0);
        layout.withCamg = true;
        layout.camg = c.modes;
        CIffImage image;
        EXPECT_EQ(LoadBytes(image, MakeIlbm(layout), dir), c.readable);
        EXPECT_EQ(image.IsEmpty(), !c.readable);
    }
}

// A second BMHD between CMAP and BODY: the palette was sized for the first plane count, so a
// different count would export a record whose palette does not fit its depth.
TEST_F(IffImageTest, AHeaderAfterTheColourMapKeepsItsPlaneCount) {
    struct Case {
        unsigned first, second;
        bool readable;
    } cases[] = {{8, 8, true}, {8, 4, false}, {4, 8, false}, {4, 24, false}, {8, 16, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " then " + std::to_string(c.second) + " planes");
        IlbmLayout layout;
        layout.planes = c.first;
        layout.cmap = Gray8Cmap(c.first == 4 ? 16 : 69);
        IlbmLayout later = layout;
        later.planes = c.second;
        later.body = Bytes(2 * c.second, 0);
        // The second header is taken from a file of the second plane count, its CMAP left out.
        later.withCmap = false;
        const Bytes second = MakeIlbm(later);
        Bytes file = MakeIlbm(layout);
        const auto body =
            std::search(file.begin(), file.end(), std::begin("BODY"), std::end("BODY") - 1);
        file.erase(body, file.end());
        file.insert(file.end(), second.begin() + 12, second.end());  // BMHD and BODY
        const auto size = static_cast<std::uint32_t>(file.size() - 8);
        file[4] = static_cast<std::uint8_t>(size >> 24);
        file[5] = static_cast<std::uint8_t>(size >> 16);
        file[6] = static_cast<std::uint8_t>(size >> 8);
        file[7] = static_cast<std::uint8_t>(size);
        CIffImage image;
        ASSERT_EQ(LoadBytes(image, file, dir), c.readable);
        if (c.readable) {
            ImageHolder out;
            ASSERT_TRUE(image.ExportTo(out.get()));
            EXPECT_TRUE(ImgValidate(out.get()));
        }
    }
}

TEST_F(IffImageTest, ChunkClaimingGigabytesFailsAtOnce) {
    IlbmLayout layout;
    layout.cmap = Gray8Cmap(4);
    layout.body = Bytes(16, 0);
    Bytes file = MakeIlbm(layout);
    for (std::size_t at : {std::size_t{16}, std::size_t{44}, file.size() - 16 - 4}) {
        Bytes broken = file;
        broken[at] = broken[at + 1] = broken[at + 2] = broken[at + 3] = 0xFF;
        CIffImage image;
        EXPECT_FALSE(LoadBytes(image, broken, dir)) << at;
    }
}

TEST_F(IffImageTest, EveryPrefixAndRandomFlipsFailCleanly) {
    ImageHolder source(MakeImage(13, 7, 8));
    for (std::uint32_t i = 0; i < source->dwPixelBytes; ++i) {
        source->lpPixels[i] = static_cast<std::uint8_t>(i * 7);
    }
    CIffImage image;
    ASSERT_TRUE(image.ImportFrom(source.get()));
    ASSERT_TRUE(image.SaveFile(dir / "good.iff"));
    Bytes good = ReadFile(dir / "good.iff");
    // A packed variant too, so the run decoder sees broken input.
    IlbmLayout packedLayout;
    packedLayout.width = 13;
    packedLayout.height = 7;
    packedLayout.compression = 1;
    packedLayout.cmap = Gray8Cmap(256);
    packedLayout.body = ByteRun1Encode(Bytes(2 * 8 * 7, 0x5A), 2);
    for (const Bytes& file : {good, MakeIlbm(packedLayout)}) {
        for (std::size_t n = 0; n < file.size(); ++n) {
            CIffImage truncated;
            EXPECT_FALSE(LoadBytes(truncated, Bytes(file.begin(), file.begin() + n), dir)) << n;
        }
        std::mt19937 rng(3);
        for (int round = 0; round < 300; ++round) {
            Bytes flipped = file;
            for (int k = 0; k < 3; ++k) {
                flipped[rng() % flipped.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
            }
            CIffImage damaged;
            if (LoadBytes(damaged, flipped, dir)) {
                ImageHolder out;
                damaged.ExportTo(out.get());  // must stay inside its buffers either way
            }
        }
    }
}

}  // namespace
