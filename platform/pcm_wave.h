// The playable part of a WAV file: its PCM format and its sample bytes. The sound service
// plays only what this reader accepts; everything else stays silent.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/export.h"

namespace qm {

struct PcmFormat {
    std::uint32_t samplesPerSecond = 0;
    std::uint16_t channels = 0;       // 1 or 2
    std::uint16_t bitsPerSample = 0;  // 8 (unsigned) or 16 (signed)

    std::uint32_t BytesPerFrame() const { return channels * (bitsPerSample / 8u); }
    bool operator==(const PcmFormat&) const = default;
};

struct PcmSound {
    PcmFormat format;
    std::vector<std::uint8_t> samples;  // whole frames only, never empty

    double Seconds() const {
        return static_cast<double>(samples.size()) / format.BytesPerFrame() /
               format.samplesPerSecond;
    }
};

// Walks the chunks after "RIFF"/"WAVE" for the format chunk and the data chunk and copies the
// samples. Nothing for anything but PCM of 8 or 16 bits, one or two channels and a rate
// between 1 Hz and 384 kHz, and for a file without samples. Sizes that reach beyond the
// bytes at hand are cut to them: a stranger's file may claim more than it holds, and the
// reader never looks past the end.
QM_PLATFORM_API std::optional<PcmSound> ReadPcmWave(std::span<const std::uint8_t> wav);

}  // namespace qm
