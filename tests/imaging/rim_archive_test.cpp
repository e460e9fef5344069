#include "texbench/imaging/rim_archive.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/imaging/iff_test_support.h"
#include "texbench/imaging/byterun1.h"

namespace {

using namespace ifftest;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t BE32(const Bytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

// A slot FORM built by CRimImage from an indexed picture with `colours` palette entries in use.
Bytes SlotForm(unsigned width, unsigned height, unsigned depth, unsigned colours, bool compress,
               std::uint32_t seed = 1) {
    ImageHolder source(MakeImage(width, height, depth));
    std::mt19937 rng(seed);
    for (std::uint32_t i = 0; i < source->dwPixelBytes; i += ImgBytesPerPixel(depth)) {
        const unsigned index = rng() % colours;
        source->lpPixels[i] = static_cast<std::uint8_t>(index);
        if (depth == 16) {
            source->lpPixels[i + 1] = static_cast<std::uint8_t>(index >> 8);
        }
    }
    for (std::uint32_t i = 0; i < source->dwPaletteEntries * 3; ++i) {
        source->lpPalette[i] = static_cast<std::uint8_t>(rng());
    }
    source->header.dwColorsUsed = colours;
    CRimImage image;
    EXPECT_TRUE(image.ImportFrom(source.get()));
    image.SetCompression(compress);
    return image.BuildForm();
}

// Straightforward decoding of a slot FORM, written from the format description alone:
// byte-aligned plane-rows, plane k = bit k of the index, colours from CMAP.
struct DecodedSlot {
    unsigned width = 0, height = 0, planes = 0;
    Bytes rgb;
};

DecodedSlot ReferenceDecode(const Bytes& form) {
    DecodedSlot slot;
    std::size_t at = 12;
    Bytes cmap, body;
    bool packed = false;
    while (at + 8 <= form.size()) {
        const std::string tag(form.begin() + at, form.begin() + at + 4);
        const std::uint32_t size = BE32(form, at + 4);
        const std::size_t payload = at + 8;
        if (tag == "BMHD") {
            slot.width = (form[payload] << 8) | form[payload + 1];
            slot.height = (form[payload + 2] << 8) | form[payload + 3];
            slot.planes = form[payload + 8];
            packed = form[payload + 10] != 0;
        } else if (tag == "CMAP") {
            cmap.assign(form.begin() + payload, form.begin() + payload + size);
        } else if (tag == "BODY") {
            body.assign(form.begin() + payload, form.begin() + payload + size);
        }
        at = payload + size + (size & 1);
    }
    const unsigned rowBytes = (slot.width + 7) / 8;
    if (packed) {
        Bytes raw;
        for (std::size_t i = 0; i < body.size();) {
            const int h = static_cast<std::int8_t>(body[i++]);
            if (h >= 0) {
                raw.insert(raw.end(), body.begin() + i, body.begin() + i + h + 1);
                i += h + 1;
            } else if (h != -128) {
                raw.insert(raw.end(), 1 - h, body[i++]);
            }
        }
        body = raw;
    }
    for (unsigned y = 0; y < slot.height; ++y) {
        for (unsigned x = 0; x < slot.width; ++x) {
            unsigned index = 0;
            for (unsigned k = 0; k < slot.planes; ++k) {
                const std::uint8_t byte = body[(y * slot.planes + k) * rowBytes + x / 8];
                index |= ((byte >> (7 - x % 8)) & 1u) << k;
            }
            slot.rgb.insert(slot.rgb.end(), cmap.begin() + 3 * index, cmap.begin() + 3 * index + 3);
        }
    }
    return slot;
}

TEST(RimImage, PlaneCountFollowsColoursUsed) {
    struct Case {
        unsigned depth, colours, planes;
    };
    for (const Case c : {Case{4, 2, 1}, Case{4, 16, 4}, Case{8, 3, 2}, Case{8, 17, 5},
                         Case{8, 256, 8}, Case{16, 300, 9}, Case{16, 65536, 16}}) {
        SCOPED_TRACE(c.colours);
        const Bytes form = SlotForm(11, 3, c.depth, c.colours, false);
        ASSERT_FALSE(form.empty());
        EXPECT_EQ(form[28], c.planes);
        EXPECT_EQ(BE32(form, 44), 3 * c.colours);  // CMAP holds the colours in use
        CRimImage image;
        ASSERT_TRUE(image.ParseForm(form));
        EXPECT_EQ(image.GetFormSize(), form.size());
    }
}

TEST(RimImage, SlotsDecodeToTheirPixelsWithAndWithoutRuns) {
    for (bool compress : {false, true}) {
        for (unsigned depth : {4u, 8u, 16u}) {
            SCOPED_TRACE(depth * 10 + compress);
            const unsigned colours = depth == 4 ? 16 : depth == 8 ? 200 : 1000;
            ImageHolder source(MakeImage(21, 6, depth));
            for (std::uint32_t i = 0, p = 0; i < source->dwPixelBytes;
                 i += ImgBytesPerPixel(depth), ++p) {
                const unsigned index = (p / 5 * 37) % colours;  // short runs and changes
                source->lpPixels[i] = static_cast<std::uint8_t>(index);
                if (depth == 16)
                    source->lpPixels[i + 1] = static_cast<std::uint8_t>(index >> 8);
            }
            for (std::uint32_t i = 0; i < source->dwPaletteEntries * 3; ++i) {
                source->lpPalette[i] = static_cast<std::uint8_t>(i * 13 + i / 768);
            }
            source->header.dwColorsUsed = colours;
            CRimImage image;
            ASSERT_TRUE(image.ImportFrom(source.get()));
            image.SetCompression(compress);
            const Bytes form = image.BuildForm();
            EXPECT_EQ(form[30], compress ? 1 : 0);
            CRimImage parsed;
            ASSERT_TRUE(parsed.ParseForm(form));
            ImageHolder back;
            ASSERT_TRUE(parsed.ExportTo(back.get()));
            // Fewer planes than the depth decode to the smaller pixel size.
            const unsigned bpp = ImgBytesPerPixel(back->header.bDepth);
            for (std::uint32_t p = 0; p < 21u * 6u; ++p) {
                unsigned want = source->lpPixels[p * ImgBytesPerPixel(depth)];
                if (depth == 16)
                    want |= source->lpPixels[p * 2 + 1] << 8;
                unsigned got = back->lpPixels[p * bpp];
                if (bpp == 2)
                    got |= back->lpPixels[p * 2 + 1] << 8;
                ASSERT_EQ(got, want) << p;
            }
        }
    }
}

TEST(RimImage, CompressionRunsStopAtPlaneRows) {
    // 2400 pixels wide: plane-rows of 300 bytes, all equal -> runs of 128, 128, 44 per row.
    const Bytes form = SlotForm(2400, 2, 4, 1, true);
    CRimImage image;
    ASSERT_TRUE(image.ParseForm(form));
    ASSERT_EQ(form[28], 4);               // one colour keeps the depth's planes
    const std::size_t body = 48 + 4 + 8;  // CMAP: one colour, 3 bytes and a pad
    ASSERT_EQ(std::string(form.begin() + body - 8, form.begin() + body - 4), "BODY");
    EXPECT_EQ(BE32(form, body - 4), 2u * 4 * 3 * 2);
    for (std::size_t run = 0; run < 2 * 4; ++run) {
        EXPECT_EQ(form[body + run * 6 + 0], 0x81);  // -127: 128 bytes
        EXPECT_EQ(form[body + run * 6 + 2], 0x81);
        EXPECT_EQ(form[body + run * 6 + 4], 0xD5);  // -43: 44 bytes
    }
    // Switching compression off and on converts the stored body.
    ASSERT_TRUE(image.SetCompression(false));
    EXPECT_EQ(image.BuildForm()[30], 0);
    ASSERT_TRUE(image.SetCompression(true));
    EXPECT_EQ(image.BuildForm(), form);
}

TEST(RimImage, FindColorExactNearestAndTies) {
    ImageHolder source(MakeImage(2, 1, 4));
    auto setRgb = [&](unsigned i, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        source->lpPalette[i * 3] = b, source->lpPalette[i * 3 + 1] = g,
                              source->lpPalette[i * 3 + 2] = r;
    };
    for (unsigned i = 0; i < 16; ++i)
        setRgb(i, 200, 200, 200);
    setRgb(3, 10, 20, 30);
    setRgb(5, 14, 20, 30);
    setRgb(9, 10, 20, 30);
    CRimImage image;
    EXPECT_EQ(image.FindColor(0), -1);
    ASSERT_TRUE(image.ImportFrom(source.get()));
    EXPECT_EQ(image.FindColor(0x1E140A), 3);  // exact, first of two
    EXPECT_EQ(image.FindColor(0x1E140C), 3);  // 2 from entry 3 and 5: the lower wins
    EXPECT_EQ(image.FindColor(0x1E140D), 5);
    EXPECT_EQ(image.FindColor(0xFFFFFF), 0);
}

TEST(RimArchive, CompileLayoutAndReparse) {
    CRimArchive archive;
    EXPECT_TRUE(archive.Compile().empty());
    archive.SetContainer(Bytes{1, 2, 3});
    EXPECT_TRUE(archive.Compile().empty()) << "a container alone compiles to nothing";
    const Bytes slot = SlotForm(5, 5, 8, 40, true);
    ASSERT_TRUE(archive.AddSlotForm(slot));
    ASSERT_TRUE(archive.SetTransparency(true, 0x332211));
    const Bytes rim = archive.Compile();
    ASSERT_EQ(rim.size(), archive.GetCompiledSize());
    EXPECT_EQ(std::string(rim.begin(), rim.begin() + 4), "LIST");
    EXPECT_EQ(BE32(rim, 4), rim.size() - 8);
    EXPECT_EQ(std::string(rim.begin() + 8, rim.begin() + 16), "ILBMPROP");
    EXPECT_EQ(BE32(rim, 16), 20u);
    EXPECT_EQ(std::string(rim.begin() + 20, rim.begin() + 28), "ILBMTRAN");
    EXPECT_EQ(BE32(rim, 28), 8u);
    EXPECT_EQ(Bytes(rim.begin() + 32, rim.begin() + 40), (Bytes{6, 0, 0, 0, 0, 0x11, 0x22, 0x33}));
    // An odd container is stored with its padded length and reads back one byte longer.
    const std::size_t cont = rim.size() - 4 - 4;
    EXPECT_EQ(std::string(rim.begin() + cont - 4, rim.begin() + cont), "CONT");
    EXPECT_EQ(BE32(rim, cont), 4u);
    CRimArchive back;
    ASSERT_TRUE(back.Parse(rim));
    EXPECT_EQ(back.GetTransparencyMode(), 6u);
    EXPECT_EQ(back.GetTransparentColorWord(), 0x33221100u);
    EXPECT_EQ(Bytes(back.GetContainer().begin(), back.GetContainer().end()), (Bytes{1, 2, 3, 0}));
    ASSERT_FALSE(back.IsSlotEmpty(0));
    EXPECT_TRUE(back.IsSlotEmpty(1));
    // Transparency touched BMHD only: masking 2 and the nearest index.
    const auto stored = back.GetSlot(0);
    EXPECT_EQ(stored[29], 2);
    CRimImage shown;
    ASSERT_TRUE(back.GetSlotImage(0, shown));
    EXPECT_EQ(static_cast<int>(shown.GetTransparentIndex()), shown.FindColor(0x332211));
    EXPECT_EQ(Bytes(stored.begin() + 40, stored.end()), Bytes(slot.begin() + 40, slot.end()));
}

TEST(RimArchive, ParseKeepsThreeSlotsAndIgnoresOddTran) {
    const Bytes forms[4] = {SlotForm(3, 3, 4, 5, false, 1), SlotForm(3, 3, 4, 5, false, 2),
                            SlotForm(3, 3, 4, 5, false, 3), SlotForm(3, 3, 4, 5, false, 4)};
    Bytes inner;
    PutTag(inner, "ILBM");
    PutChunk(inner, "TRAN", Bytes(7, 9));  // not 8 bytes: ignored
    for (const auto& f : forms)
        inner.insert(inner.end(), f.begin(), f.end());
    Bytes rim;
    PutTag(rim, "LIST");
    PutBE32(rim, static_cast<std::uint32_t>(inner.size()));
    rim.insert(rim.end(), inner.begin(), inner.end());
    CRimArchive archive;
    ASSERT_TRUE(archive.Parse(rim));
    EXPECT_EQ(archive.GetTransparencyMode(), 0u);
    EXPECT_EQ(archive.GetTransparentColorWord(), 0u);
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_EQ(Bytes(archive.GetSlot(i).begin(), archive.GetSlot(i).end()), forms[i]);
    }
    const Bytes compiled = archive.Compile();
    EXPECT_EQ(compiled.size(), 40 + 3 * forms[0].size());
    EXPECT_FALSE(archive.AddSlotForm(forms[3]));
    EXPECT_TRUE(CRimArchive().SetTransparency(true, 0xFF));  // no slots: only the record
}

// Each caller decodes into its own image: two archives' pictures held at once stay apart,
// and a slot that yields nothing empties only the image it was asked to fill.
TEST(RimArchive, SlotImagesBelongToTheirCallers) {
    CRimArchive small, large;
    ASSERT_TRUE(small.AddSlotForm(SlotForm(3, 2, 4, 5, false, 1)));
    ASSERT_TRUE(large.AddSlotForm(SlotForm(7, 5, 8, 40, true, 2)));
    CRimImage first, second;
    ASSERT_TRUE(small.GetSlotImage(0, first));
    ASSERT_TRUE(large.GetSlotImage(0, second));
    EXPECT_EQ(first.GetWidth(), 3u);
    EXPECT_EQ(first.GetHeight(), 2u);
    EXPECT_EQ(second.GetWidth(), 7u);
    EXPECT_EQ(second.GetHeight(), 5u);

    EXPECT_FALSE(small.GetSlotImage(1, second));  // an empty slot
    EXPECT_TRUE(second.IsEmpty());
    EXPECT_FALSE(small.GetSlotImage(3, second));  // no such slot
    EXPECT_EQ(first.GetWidth(), 3u);
    EXPECT_FALSE(first.IsEmpty());
}

// A slot FORM of odd size, as another tool may write one: a one-byte chunk ends it.
Bytes OddSlotForm(std::uint32_t seed) {
    Bytes form = SlotForm(3, 3, 4, 5, false, seed);
    PutChunk(form, "ANNO", Bytes{'x'});
    form.pop_back();  // the FORM ends with the odd chunk, its pad belongs outside
    const auto size = static_cast<std::uint32_t>(form.size() - 8);
    Bytes head;
    PutBE32(head, size);
    std::copy(head.begin(), head.end(), form.begin() + 4);
    return form;
}

// Items whose slots have odd sizes keep every slot through Compile and Parse; the pad bytes
// are counted in the LIST size, as any chunk reader expects.
TEST(RimArchive, OddSlotsArePaddedSoTheNextSlotSurvives) {
    struct Case {
        const char* name;
        bool odd[3];
        bool container;
    } cases[] = {
        {"first odd", {true, false, false}, false},
        {"middle odd", {false, true, false}, false},
        {"all odd, container after", {true, true, true}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRimArchive archive;
        Bytes forms[3];
        std::size_t padded = 0;
        for (unsigned i = 0; i < 3; ++i) {
            forms[i] = c.odd[i] ? OddSlotForm(i + 1) : SlotForm(3, 3, 4, 5, false, i + 1);
            ASSERT_EQ(forms[i].size() % 2, c.odd[i] ? 1u : 0u);
            ASSERT_TRUE(archive.AddSlotForm(forms[i]));
            padded += forms[i].size() + forms[i].size() % 2;
        }
        if (c.container) {
            archive.SetContainer(Bytes{7, 8});
        }
        const Bytes rim = archive.Compile();
        ASSERT_EQ(rim.size(), archive.GetCompiledSize());
        EXPECT_EQ(rim.size(), 40 + padded + (c.container ? 34u : 0u));
        EXPECT_EQ(BE32(rim, 4), rim.size() - 8);
        std::size_t at = 40;
        for (const Bytes& form : forms) {
            EXPECT_TRUE(std::equal(form.begin(), form.end(), rim.begin() + at));
            at += form.size();
            if (form.size() % 2 != 0) {
                EXPECT_EQ(rim[at++], 0) << "pad byte after an odd slot";
            }
        }
        CRimArchive back;
        ASSERT_TRUE(back.Parse(rim));
        for (unsigned i = 0; i < 3; ++i) {
            EXPECT_EQ(Bytes(back.GetSlot(i).begin(), back.GetSlot(i).end()), forms[i]) << i;
        }
        EXPECT_EQ(back.GetContainer().size(), c.container ? 2u : 0u);
        EXPECT_EQ(back.Compile(), rim);
    }
}

TEST(RimArchive, FillSlotsFromTrueColourGivesThreeMatchingSlots) {
    ImageHolder picture(MakeImage(33, 17, 24));
    FillPhoto(picture.image, 4);
    // Keep the colours of each slot to compare against: true colour has > 256 colours.
    Bytes original;
    for (std::uint32_t i = 0; i < picture->dwPixelBytes; i += 3) {
        original.insert(original.end(),
                        {picture->lpPixels[i + 2], picture->lpPixels[i + 1], picture->lpPixels[i]});
    }
    CRimArchive archive;
    ASSERT_TRUE(archive.FillSlots(picture.get()));
    CRimArchive reparsed;
    ASSERT_TRUE(reparsed.Parse(archive.Compile()));
    unsigned expectedDepth[3] = {16, 8, 4};
    for (unsigned i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_FALSE(reparsed.IsSlotEmpty(i));
        const Bytes form(reparsed.GetSlot(i).begin(), reparsed.GetSlot(i).end());
        const DecodedSlot reference = ReferenceDecode(form);
        ASSERT_EQ(reference.width, 33u);
        ImageHolder exported;
        ASSERT_TRUE(reparsed.ExportSlot(i, exported.get()));
        EXPECT_LE(exported->header.bDepth, expectedDepth[i]);
        Bytes rgb;
        const unsigned bpp = ImgBytesPerPixel(exported->header.bDepth);
        for (std::uint32_t p = 0; p < 33u * 17u; ++p) {
            unsigned index = exported->lpPixels[p * bpp];
            if (bpp == 2)
                index |= exported->lpPixels[p * 2 + 1] << 8;
            const std::uint8_t* bgr = exported->lpPalette + 3 * index;
            rgb.insert(rgb.end(), {bgr[2], bgr[1], bgr[0]});
        }
        EXPECT_EQ(rgb, reference.rgb);
        if (i == 0) {
            EXPECT_EQ(rgb, original) << "the 16-bit slot keeps every colour";
        }
    }
}

TEST(RimArchive, DamagedItemsFailCleanly) {
    CRimArchive archive;
    ImageHolder picture(MakeImage(9, 7, 24));
    FillPhoto(picture.image, 2);
    ASSERT_TRUE(archive.FillSlots(picture.get()));
    archive.SetContainer(Bytes(5, 0x42));
    const Bytes rim = archive.Compile();
    auto exercise = [](const Bytes& bytes) {
        CRimArchive damaged;
        if (!damaged.Parse(bytes))
            return;
        for (unsigned i = 0; i < 3; ++i) {
            ImageHolder out;
            damaged.ExportSlot(i, out.get());
        }
        damaged.SetTransparency(true, 0x123456);
        damaged.Compile();
    };
    for (std::size_t n = 0; n <= rim.size(); ++n) {
        exercise(Bytes(rim.begin(), rim.begin() + n));
    }
    std::mt19937 rng(11);
    for (int round = 0; round < 500; ++round) {
        Bytes flipped = rim;
        for (int k = 0; k < 2; ++k)
            flipped[rng() % flipped.size()] ^= static_cast<std::uint8_t>(rng());
        exercise(flipped);
    }
    // A slot whose header claims a huge picture over a tiny body is refused.
    Bytes slot(archive.GetSlot(0).begin(), archive.GetSlot(0).end());
    ASSERT_GT(slot.size(), 24u);
    slot[20] = slot[21] = slot[22] = slot[23] = 0xFF;
    CRimImage image;
    if (image.ParseForm(slot)) {
        ImageHolder out;
        EXPECT_FALSE(image.ExportTo(out.get()));
    }
    // A chunk claiming 4 GiB ends the walk.
    Bytes huge = rim;
    huge[44] = huge[45] = huge[46] = huge[47] = 0xFF;
    EXPECT_FALSE(CRimArchive().Parse(huge));
}

}  // namespace
