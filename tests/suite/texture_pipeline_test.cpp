// The texture pipeline: picture class by extension, a picture file into the slots, a slot
// back into a picture file.
#include "suite/texture_pipeline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "suite/image_record.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/tga_image.h"

namespace {

using Bytes = std::vector<unsigned char>;

void PutLe(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

// A 24-bit bottom-up BMP of 4 x 2 pixels in three colours, as any paint program writes it.
Bytes ThreeColourBmp() {
    const std::uint32_t pixels = 4 * 3 * 2;  // rows of 12 bytes need no padding
    Bytes out = {'B', 'M'};
    PutLe(out, 54 + pixels, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, 4, 4);
    PutLe(out, 2, 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    for (int i = 0; i < 6; ++i) {
        PutLe(out, 0, 4);  // compression, size, resolution, colours
    }
    const unsigned char colours[3][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}};
    for (int i = 0; i < 8; ++i) {
        const auto& c = colours[i % 3];
        out.insert(out.end(), c, c + 3);
    }
    return out;
}

TEST(TexturePipeline, PictureClassByExtensionInAnyCase) {
    const struct {
        const char* path;
        const char* cls;  // nullptr: no class
    } cases[] = {
        {"a.iff", "iff"}, {"A.ILBM", "iff"},      {"/x/y.Lbm", "iff"}, {"a.bmp", "bmp"},
        {"a.DIB", "bmp"}, {"a.tga", "tga"},       {"a.png", nullptr},  {"a.rim", nullptr},
        {"bmp", nullptr}, {"dir.bmp/a", nullptr}, {"a.bmp.", nullptr},
    };
    for (const auto& c : cases) {
        const auto picture = suite::PictureClassFor(c.path);
        const char* got = picture == nullptr                                   ? nullptr
                          : dynamic_cast<CIffImage*>(picture.get()) != nullptr ? "iff"
                          : dynamic_cast<CBmpImage*>(picture.get()) != nullptr ? "bmp"
                          : dynamic_cast<CTgaImage*>(picture.get()) != nullptr ? "tga"
                                                                               : "other";
        EXPECT_STREQ(got, c.cls) << c.path;
    }
    EXPECT_TRUE(suite::IsWholeTextureFile("/x/Item.RIM"));
    EXPECT_FALSE(suite::IsWholeTextureFile("/x.rim/item.bmp"));
}

TEST(TexturePipeline, PictureIntoSlotsAndASlotBackIntoAnotherFormat) {
    qm_test::TempDir dir;
    const std::string source = dir.File("three.bmp");
    qm_test::WriteFile(source, ThreeColourBmp());

    CRimArchive texture;
    CBmpImage bmp;
    ASSERT_TRUE(suite::FillSlotsFromPicture(bmp, source, texture));
    // Up to 16 colours make one 4-bit slot.
    EXPECT_EQ(suite::FilledSlotCount(texture), 1u);
    EXPECT_EQ(suite::FirstFilledSlot(texture), 0u);
    ASSERT_TRUE(suite::CompressSlots(texture));

    CTgaImage tga;
    IMAGEHEADER header{};
    const std::string out = dir.File("slot0.tga");
    ASSERT_TRUE(suite::ExportSlotToPicture(texture, 0, tga, out, &header));
    EXPECT_EQ(header.wWidth, 4);
    EXPECT_EQ(header.wHeight, 2);

    CTgaImage reread;
    suite::ImageRecord image;
    ASSERT_TRUE(reread.LoadFile(out));
    ASSERT_TRUE(reread.ExportTo(image.Get()));
    EXPECT_EQ(image.Get()->header.wWidth, 4);
    EXPECT_EQ(ImgCountColors(image.Get()), 3u);
}

TEST(TexturePipeline, FailuresLeaveNothingHalfDone) {
    qm_test::TempDir dir;
    CRimArchive texture;
    CBmpImage bmp;
    EXPECT_FALSE(suite::FillSlotsFromPicture(bmp, dir.File("missing.bmp"), texture));
    EXPECT_EQ(suite::FilledSlotCount(texture), 0u);
    EXPECT_EQ(suite::FirstFilledSlot(texture), std::nullopt);

    qm_test::WriteFile(dir.File("not-a-picture.bmp"), {'B', 'M', 1, 2, 3});
    EXPECT_FALSE(suite::FillSlotsFromPicture(bmp, dir.File("not-a-picture.bmp"), texture));

    // An empty slot exports nothing and writes no file.
    CTgaImage tga;
    EXPECT_FALSE(suite::ExportSlotToPicture(texture, 0, tga, dir.File("none.tga")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.tga")));
    EXPECT_TRUE(suite::CompressSlots(texture)) << "nothing to compress is no failure";
}

}  // namespace
