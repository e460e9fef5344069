// The WAV writer on its own: the header fields, the pad byte of an odd data chunk, and the
// formats it refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/demogame/demo_sounds.h"

namespace {

using demogame::SynthesizeWave;
using demogame::Tone;
using demogame::ToneFormat;

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

TEST(DemoSounds, OddDataChunkIsPaddedAndTheRiffLengthCountsThePad) {
    const auto wave = SynthesizeWave(Tone::Beep, {11025, 1, 8, 3});
    ASSERT_EQ(wave.size(), demogame::kWaveHeaderBytes + 3 + 1);
    EXPECT_EQ(U32(wave, 4), wave.size() - 8);
    EXPECT_EQ(U32(wave, 40), 3u);  // the data chunk's own length leaves the pad out
    EXPECT_EQ(wave.back(), 0);
}

TEST(DemoSounds, RefusesFormatsItDoesNotWrite) {
    const ToneFormat bad[] = {
        {0, 1, 8, 100}, {11025, 3, 8, 100}, {11025, 1, 12, 100}, {11025, 1, 16, 0}};
    for (const ToneFormat& format : bad) {
        EXPECT_TRUE(SynthesizeWave(Tone::Hum, format).empty())
            << format.rate << " Hz, " << format.channels << " ch, " << format.bits << " bit";
    }
}

TEST(DemoSounds, StereoNoiseDiffersBetweenTheChannels) {
    const auto wave = SynthesizeWave(Tone::Hiss, {22050, 2, 16, 2000});
    ASSERT_FALSE(wave.empty());
    int different = 0;
    for (std::size_t at = demogame::kWaveHeaderBytes; at + 4 <= wave.size(); at += 4) {
        different += (wave[at] != wave[at + 2] || wave[at + 1] != wave[at + 3]) ? 1 : 0;
    }
    EXPECT_GT(different, 1500);
}

}  // namespace
