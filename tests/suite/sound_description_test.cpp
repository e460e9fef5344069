#include "suite/sound_description.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace suite {
namespace {

struct WavFields {
    std::uint32_t riffSize = 88240;
    std::uint32_t formatSize = 16;
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint32_t bytesPerSecond = 44100;
    std::uint16_t bitsPerSample = 16;
};

void Put32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

void Put16(std::vector<unsigned char>& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<unsigned char>(value);
    out[at + 1] = static_cast<unsigned char>(value >> 8);
}

// A 44-byte canonical WAV header ("data" chunk header included), cut to `size` bytes.
std::vector<unsigned char> WavHeader(const WavFields& f, std::size_t size = 44) {
    std::vector<unsigned char> out(44, 0);
    const std::string tags = "RIFF....WAVEfmt ";
    std::copy(tags.begin(), tags.end(), out.begin());
    Put32(out, 4, f.riffSize);
    Put32(out, 16, f.formatSize);
    Put16(out, 20, f.formatTag);
    Put16(out, 22, f.channels);
    Put32(out, 24, f.rate);
    Put32(out, 28, f.bytesPerSecond);
    Put16(out, 32, static_cast<std::uint16_t>(f.channels * f.bitsPerSample / 8));
    Put16(out, 34, f.bitsPerSample);
    const std::string data = "data";
    std::copy(data.begin(), data.end(), out.begin() + 36);
    out.resize(size);
    return out;
}

struct DescribeCase {
    const char* name;
    WavFields fields;
    std::string expected;
};

class DescribeSoundItemTest : public testing::TestWithParam<DescribeCase> {};

TEST_P(DescribeSoundItemTest, DescribesHeaderFields) {
    const auto bytes = WavHeader(GetParam().fields);
    EXPECT_EQ(DescribeSoundItem(bytes.data(), bytes.size()), GetParam().expected);
}

WavFields With(void (*change)(WavFields&)) {
    WavFields f;
    change(f);
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DescribeSoundItemTest,
    testing::Values(
        DescribeCase{"MonoPcm16", WavFields{}, "2.0 sec @ 22.050 Hz, 16 Bit (mono)"},
        DescribeCase{"Format14HasNoBits", With([](WavFields& f) { f.formatSize = 14; }),
                     "2.0 sec @ 22.050 Hz (mono)"},
        DescribeCase{"Format15HasNoBits", With([](WavFields& f) { f.formatSize = 15; }),
                     "2.0 sec @ 22.050 Hz (mono)"},
        DescribeCase{"Format18Stereo", With([](WavFields& f) {
                         f.formatSize = 18;
                         f.channels = 2;
                         f.rate = 44100;
                         f.bytesPerSecond = 176400;
                         f.riffSize = 176400 * 3 + 18 + 24;
                     }),
                     "3.0 sec @ 44.100 Hz, 16 Bit (stereo)"},
        DescribeCase{"Format20Unknown", With([](WavFields& f) { f.formatSize = 20; }),
                     "(unknown format)"},
        DescribeCase{"Format13Unknown", With([](WavFields& f) { f.formatSize = 13; }),
                     "(unknown format)"},
        DescribeCase{"FourChannelsNoSuffix", With([](WavFields& f) { f.channels = 4; }),
                     "2.0 sec @ 22.050 Hz, 16 Bit"},
        DescribeCase{"NoChannelsNoSuffix", With([](WavFields& f) { f.channels = 0; }),
                     "2.0 sec @ 22.050 Hz, 16 Bit"},
        DescribeCase{"RateRemainderPadded", With([](WavFields& f) {
                         f.rate = 8005;
                         f.bitsPerSample = 8;
                         f.bytesPerSecond = 8005;
                         f.riffSize = 8005 / 2 + 40;
                     }),
                     "0.5 sec @ 8.005 Hz, 8 Bit (mono)"},
        DescribeCase{"RateBelowThousand", With([](WavFields& f) { f.rate = 999; }),
                     "2.0 sec @ 0.999 Hz, 16 Bit (mono)"},
        DescribeCase{"NonPcmStillDescribed", With([](WavFields& f) { f.formatTag = 2; }),
                     "2.0 sec @ 22.050 Hz, 16 Bit (mono)"},
        DescribeCase{"DurationRoundedToOneDecimal", With([](WavFields& f) {
                         f.riffSize = 40 + 95256;  // 2.16 s of 44100 bytes each
                     }),
                     "2.2 sec @ 22.050 Hz, 16 Bit (mono)"},
        DescribeCase{"EmptySoundKeepsDecimal", With([](WavFields& f) { f.riffSize = 40; }),
                     "0.0 sec @ 22.050 Hz, 16 Bit (mono)"},
        // 30 - 16 - 24 wraps in 32 bits to 4294967286 bytes.
        DescribeCase{"RiffSizeBelowHeaderWraps", With([](WavFields& f) {
                         f.riffSize = 30;
                         f.bytesPerSecond = 1;
                     }),
                     "4294967286.0 sec @ 22.050 Hz, 16 Bit (mono)"},
        // A rate beyond 2^31 is still printed as the unsigned number the header holds.
        DescribeCase{"HugeRateUnsigned", With([](WavFields& f) { f.rate = 3000000123u; }),
                     "2.0 sec @ 3000000.123 Hz, 16 Bit (mono)"}),
    [](const testing::TestParamInfo<DescribeCase>& info) { return std::string(info.param.name); });

TEST(DescribeSoundItem, NoBytesPerSecondGivesInfiniteDuration) {
    WavFields f;
    f.bytesPerSecond = 0;
    const auto bytes = WavHeader(f);
    EXPECT_EQ(DescribeSoundItem(bytes.data(), bytes.size()), "inf sec @ 22.050 Hz, 16 Bit (mono)");
}

// The browser only checks the 16 tag bytes; a short item must not be read past its end.
struct ShortCase {
    const char* name;
    std::uint32_t formatSize;
    std::size_t size;
    bool described;
};

class ShortSoundItemTest : public testing::TestWithParam<ShortCase> {};

TEST_P(ShortSoundItemTest, FieldsMustAllBeThere) {
    WavFields f;
    f.formatSize = GetParam().formatSize;
    // A copy of exactly `size` bytes, so that the sanitizers see any read beyond it.
    const auto bytes = WavHeader(f, GetParam().size);
    const std::string text = DescribeSoundItem(bytes.data(), bytes.size());
    if (GetParam().described) {
        EXPECT_NE(text, "(unknown format)");
    } else {
        EXPECT_EQ(text, "(unknown format)");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShortSoundItemTest,
                         testing::Values(ShortCase{"TagsOnly", 16, 16, false},
                                         ShortCase{"NoRates", 16, 24, false},
                                         ShortCase{"Format14Complete", 14, 34, true},
                                         ShortCase{"Format14OneShort", 14, 33, false},
                                         ShortCase{"Format16WithoutBits", 16, 34, false},
                                         ShortCase{"Format16Complete", 16, 36, true},
                                         ShortCase{"Format18At36", 18, 36, true}),
                         [](const testing::TestParamInfo<ShortCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(DescribeSoundItem, NullDataIsUnknown) {
    EXPECT_EQ(DescribeSoundItem(nullptr, 44), "(unknown format)");
}

TEST(HasSoundFormatHeader, FmtRightAfterWave) {
    const auto full = WavHeader(WavFields{});
    EXPECT_TRUE(HasSoundFormatHeader(full.data(), full.size()));
    EXPECT_TRUE(HasSoundFormatHeader(full.data(), 16));
    EXPECT_FALSE(HasSoundFormatHeader(full.data(), 15));
    EXPECT_FALSE(HasSoundFormatHeader(nullptr, 44));

    auto other = full;
    const std::string list = "LIST";
    std::copy(list.begin(), list.end(), other.begin() + 12);
    EXPECT_FALSE(HasSoundFormatHeader(other.data(), other.size()));

    auto upper = full;
    upper[12] = 'F';
    EXPECT_FALSE(HasSoundFormatHeader(upper.data(), upper.size()));
}

}  // namespace
}  // namespace suite

namespace {

struct FileHeaderCase {
    const char* what;
    std::size_t offset;  // the field to change, or 0 for none
    std::uint32_t value;
    int width;
    const char* duration;  // nullptr: the file is not described
    const char* format;
};

// A 16-bit stereo 44.1 kHz header of a file with 0.5 s of samples (RIFF size 88236).
std::vector<unsigned char> FileHeader() {
    std::vector<unsigned char> h(40, 0);
    const auto put = [&h](std::size_t at, std::uint32_t v, int width) {
        for (int i = 0; i < width; ++i) {
            h[at + i] = static_cast<unsigned char>(v >> (8 * i));
        }
    };
    std::memcpy(h.data(), "RIFF", 4);
    put(4, 88236, 4);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    put(16, 16, 4);
    put(20, 1, 2);
    put(22, 2, 2);
    put(24, 44100, 4);
    put(28, 176400, 4);
    put(32, 4, 2);
    put(34, 16, 2);
    std::memcpy(h.data() + 36, "data", 4);
    return h;
}

}  // namespace

TEST(DescribeSoundFileHeader, LinesFollowTheFixedFortyByteRule) {
    const FileHeaderCase cases[] = {
        {"canonical", 0, 0, 0, "0.5 sec @ 44.100 Hz", "16 Bit (stereo)"},
        {"mono 22050", 22, 1, 2, "0.5 sec @ 44.100 Hz", "16 Bit (mono)"},
        {"four channels count as stereo", 22, 4, 2, "0.5 sec @ 44.100 Hz", "16 Bit (stereo)"},
        {"no channels count as mono", 22, 0, 2, "0.5 sec @ 44.100 Hz", "16 Bit (mono)"},
        {"rate shown with its thousands", 24, 11025, 4, "0.5 sec @ 11.025 Hz", "16 Bit (stereo)"},
        {"14-byte format chunk", 16, 14, 4, "0.5 sec @ 44.100 Hz", "16 Bit (stereo)"},
        {"18-byte format chunk", 16, 18, 4, "0.5 sec @ 44.100 Hz", "16 Bit (stereo)"},
        {"RIFF size below 40 wraps", 4, 36, 4, "24347.9 sec @ 44.100 Hz", "16 Bit (stereo)"},
        {"no bytes per second", 28, 0, 4, "inf sec @ 44.100 Hz", "16 Bit (stereo)"},
        {"13-byte format chunk", 16, 13, 4, nullptr, nullptr},
        {"20-byte format chunk", 16, 20, 4, nullptr, nullptr},
        {"not PCM", 20, 2, 2, nullptr, nullptr},
        {"not RIFF", 0, 0x58464952, 4, nullptr, nullptr},
        {"not WAVE", 8, 0x45564157 + 1, 4, nullptr, nullptr},
        {"no fmt tag", 12, 0x20746d66 + 1, 4, nullptr, nullptr},
    };
    for (const FileHeaderCase& c : cases) {
        auto header = FileHeader();
        for (int i = 0; i < c.width; ++i) {
            header[c.offset + i] = static_cast<unsigned char>(c.value >> (8 * i));
        }
        const auto lines = suite::DescribeSoundFileHeader(header);
        if (c.duration == nullptr) {
            EXPECT_FALSE(lines) << c.what;
            continue;
        }
        ASSERT_TRUE(lines) << c.what;
        EXPECT_EQ(lines->duration, c.duration) << c.what;
        EXPECT_EQ(lines->format, c.format) << c.what;
    }
}

// The whole 40 bytes must be read: a file of exactly 40 is described, one of 39 is not.
TEST(DescribeSoundFile, ReadsTheFirstFortyBytesOfTheFile) {
    const std::string base = ::testing::TempDir() + "qm_sound_file_header.wav";
    const auto header = FileHeader();
    const struct {
        std::size_t size;
        bool described;
    } cases[] = {{40, true}, {39, false}, {0, false}, {40, true}};
    std::vector<unsigned char> longer = header;
    longer.resize(1000, 0x55);
    for (const auto& c : cases) {
        {
            std::ofstream out(base, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(longer.data()),
                      static_cast<std::streamsize>(c.size));
        }
        EXPECT_EQ(suite::DescribeSoundFile(base).has_value(), c.described) << c.size;
    }
    std::remove(base.c_str());
    EXPECT_FALSE(suite::DescribeSoundFile(base));
    EXPECT_FALSE(suite::DescribeSoundFile(::testing::TempDir()));  // a directory
}
