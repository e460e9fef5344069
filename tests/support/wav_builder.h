// WAV files made in the tests: a canonical 44-byte header in front of the samples, and sine
// tones of a known frequency to listen for.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/byte_order.h"

namespace qm_test {

struct WavFields {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSecond = 22050;
    std::uint16_t bitsPerSample = 16;
};

// RIFF, "fmt " (16 bytes) and "data" chunks, with every size field telling the truth.
inline std::vector<std::uint8_t> MakeWav(const WavFields& f,
                                         const std::vector<std::uint8_t>& samples) {
    std::vector<std::uint8_t> wav(44 + samples.size());
    const std::uint32_t blockAlign = f.channels * (f.bitsPerSample / 8u);
    std::memcpy(wav.data(), "RIFF", 4);
    qm::PutU32LE(wav.data() + 4, static_cast<std::uint32_t>(wav.size() - 8));
    std::memcpy(wav.data() + 8, "WAVEfmt ", 8);
    qm::PutU32LE(wav.data() + 16, 16);
    qm::PutU16LE(wav.data() + 20, f.formatTag);
    qm::PutU16LE(wav.data() + 22, f.channels);
    qm::PutU32LE(wav.data() + 24, f.samplesPerSecond);
    qm::PutU32LE(wav.data() + 28, f.samplesPerSecond * blockAlign);
    qm::PutU16LE(wav.data() + 32, blockAlign);
    qm::PutU16LE(wav.data() + 34, f.bitsPerSample);
    std::memcpy(wav.data() + 36, "data", 4);
    qm::PutU32LE(wav.data() + 40, static_cast<std::uint32_t>(samples.size()));
    std::memcpy(wav.data() + 44, samples.data(), samples.size());
    return wav;
}

// The samples of a sine tone at half of full scale, the same on every channel.
inline std::vector<std::uint8_t> SineSamples(const WavFields& f, double frequency, double seconds) {
    const auto frames = static_cast<std::size_t>(seconds * f.samplesPerSecond);
    std::vector<std::uint8_t> samples;
    for (std::size_t i = 0; i < frames; ++i) {
        const double value = 0.5 * std::sin(2 * std::numbers::pi * frequency *
                                            static_cast<double>(i) / f.samplesPerSecond);
        for (int c = 0; c < f.channels; ++c) {
            if (f.bitsPerSample == 8) {
                samples.push_back(static_cast<std::uint8_t>(std::lround(128 + 127 * value)));
            } else {
                const auto s = static_cast<std::int16_t>(std::lround(32767 * value));
                samples.push_back(static_cast<std::uint8_t>(s & 0xFF));
                samples.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
            }
        }
    }
    return samples;
}

inline std::vector<std::uint8_t> MakeSineWav(const WavFields& f, double frequency, double seconds) {
    return MakeWav(f, SineSamples(f, frequency, seconds));
}

}  // namespace qm_test
