// ILBM files exchanged with netpbm's ppmtoilbm and ilbmtoppm.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "tests/imaging/iff_test_support.h"
#include "texbench/imaging/iff_image.h"

namespace {

using namespace ifftest;
using Bytes = std::vector<std::uint8_t>;

bool HaveTool(const char* name) {
    const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool RunTool(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

// Red, green, blue triples of a binary PPM with maxval 255.
struct Ppm {
    unsigned width = 0, height = 0;
    Bytes rgb;
};

bool ReadPpm(const std::string& path, Ppm& ppm) {
    const Bytes file = ReadFile(path);
    std::size_t i = 0;
    auto token = [&]() {
        std::string t;
        while (i < file.size()) {
            if (file[i] == '#') {
                while (i < file.size() && file[i] != '\n')
                    ++i;
            } else if (std::isspace(file[i])) {
                if (!t.empty())
                    break;
                ++i;
            } else {
                t += static_cast<char>(file[i++]);
            }
        }
        return t;
    };
    if (token() != "P6")
        return false;
    ppm.width = std::stoul(token());
    ppm.height = std::stoul(token());
    if (token() != "255")
        return false;
    ++i;
    const std::size_t bytes = std::size_t{3} * ppm.width * ppm.height;
    if (file.size() < i + bytes)
        return false;
    ppm.rgb.assign(file.begin() + i, file.begin() + i + bytes);
    return true;
}

void WritePpm(const std::string& path, const Ppm& ppm) {
    const std::string head =
        "P6\n" + std::to_string(ppm.width) + " " + std::to_string(ppm.height) + "\n255\n";
    Bytes file(head.begin(), head.end());
    file.insert(file.end(), ppm.rgb.begin(), ppm.rgb.end());
    WriteFile(path, file);
}

// Colours of an exported record as red, green, blue triples.
Bytes RecordRgb(IMAGEDATA& image) {
    Bytes rgb;
    const unsigned w = image.header.wWidth, h = image.header.wHeight, depth = image.header.bDepth;
    const std::uint64_t stride = ImgStride(w, depth, image.header.bAlign);
    for (unsigned y = 0; y < h; ++y) {
        for (unsigned x = 0; x < w; ++x) {
            const std::uint8_t* p = image.lpPixels + y * stride + x * ImgBytesPerPixel(depth);
            const std::uint8_t* bgr = depth == 24 ? p : image.lpPalette + 3 * p[0];
            rgb.insert(rgb.end(), {bgr[2], bgr[1], bgr[0]});
        }
    }
    return rgb;
}

class IffInteropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveTool("ppmtoilbm") || !HaveTool("ilbmtoppm")) {
            GTEST_SKIP() << "netpbm is not installed";
        }
    }
    TempDir dir{"qm-iff-interop"};
};

Ppm PhotoPpm(unsigned w, unsigned h) {
    ImageHolder image(MakeImage(w, h, 24));
    FillPhoto(image.image, 9);
    Ppm ppm{w, h, RecordRgb(image.image)};
    return ppm;
}

Ppm FewColourPpm(unsigned w, unsigned h, unsigned colours) {
    Ppm ppm{w, h, {}};
    for (unsigned i = 0; i < w * h; ++i) {
        const unsigned c = (i * 7 + i / w) % colours;
        ppm.rgb.insert(ppm.rgb.end(),
                       {static_cast<std::uint8_t>(c * 13), static_cast<std::uint8_t>(255 - c * 9),
                        static_cast<std::uint8_t>(c * 31)});
    }
    return ppm;
}

TEST_F(IffInteropTest, ReadsFilesMadeByPpmtoilbm) {
    struct Case {
        const char* name;
        Ppm source;
        const char* options;
    };
    const std::vector<Case> cases = {
        {"24 planes raw", PhotoPpm(37, 11), "-24force -cmethod none"},
        {"24 planes byterun1", PhotoPpm(37, 11), "-24force -cmethod byterun1"},
        {"8 planes mapped raw", FewColourPpm(21, 9, 200), "-fixplanes 8 -cmethod none"},
        {"8 planes mapped byterun1", FewColourPpm(21, 9, 200), "-fixplanes 8 -compress"},
        {"4 planes mapped", FewColourPpm(16, 4, 12), "-fixplanes 4 -cmethod byterun1"},
        {"1 pixel wide", FewColourPpm(1, 5, 3), "-fixplanes 8 -cmethod none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WritePpm(dir / "in.ppm", c.source);
        ASSERT_TRUE(RunTool("ppmtoilbm " + std::string(c.options) + " " + (dir / "in.ppm") + " > " +
                            (dir / "theirs.iff")));
        CIffImage image;
        ASSERT_TRUE(image.LoadFile(dir / "theirs.iff"));
        ImageHolder record;
        ASSERT_TRUE(image.ExportTo(record.get()));
        ASSERT_EQ(record->header.wWidth, c.source.width);
        EXPECT_EQ(RecordRgb(record.image), c.source.rgb);
    }
}

// ppmtoilbm's hold-and-modify files keep 6 or 8 planes and a palette, so they look like
// indexed pictures; only their display modes tell them apart, and they must be refused.
TEST_F(IffInteropTest, RefusesHoldAndModifyFilesOfPpmtoilbm) {
    WritePpm(dir / "in.ppm", PhotoPpm(24, 6));
    for (const char* options : {"-hamforce -ham8", "-hamforce -ham8 -compress", "-hamforce"}) {
        SCOPED_TRACE(options);
        ASSERT_TRUE(RunTool("ppmtoilbm " + std::string(options) + " " + (dir / "in.ppm") + " > " +
                            (dir / "ham.iff")));
        CIffImage image;
        EXPECT_FALSE(image.LoadFile(dir / "ham.iff"));
        EXPECT_TRUE(image.IsEmpty());
    }
}

TEST_F(IffInteropTest, IlbmtoppmReadsOurFiles) {
    for (unsigned depth : {4u, 8u, 16u, 24u}) {
        SCOPED_TRACE(depth);
        ImageHolder source(MakeImage(29, 13, depth));
        if (depth == 24) {
            FillPhoto(source.image, 5);
        } else {
            const unsigned entries = depth == 4 ? 16 : 256;
            for (std::uint32_t i = 0; i < source->dwPixelBytes; ++i) {
                source->lpPixels[i] = static_cast<std::uint8_t>((i * 11) % entries);
            }
            for (std::uint32_t i = 0; i < source->dwPaletteEntries * 3; ++i) {
                source->lpPalette[i] = static_cast<std::uint8_t>(i * 37 + 1);
            }
        }
        // What the pixels look like, before the codec sees them.
        Bytes expected;
        if (depth == 16) {
            for (std::uint32_t i = 0; i < source->dwPixelBytes; i += 2) {
                const std::uint8_t* bgr =
                    source->lpPalette + 3 * (source->lpPixels[i] | (source->lpPixels[i + 1] << 8));
                expected.insert(expected.end(), {bgr[2], bgr[1], bgr[0]});
            }
        } else {
            expected = RecordRgb(source.image);
        }
        CIffImage image;
        ASSERT_TRUE(image.ImportFrom(source.get()));
        ASSERT_TRUE(image.SaveFile(dir / "ours.iff"));
        ASSERT_TRUE(RunTool("ilbmtoppm " + (dir / "ours.iff") + " > " + (dir / "out.ppm")));
        Ppm back;
        ASSERT_TRUE(ReadPpm(dir / "out.ppm", back));
        EXPECT_EQ(back.width, 29u);
        EXPECT_EQ(back.rgb, expected);
    }
}

}  // namespace
