#include "platform/pcm_wave.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"

namespace qm {
namespace {

constexpr std::size_t kRiffHeaderSize = 12;
constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kPcmFormatFieldsSize = 16;
constexpr std::uint16_t kPcmFormatTag = 1;
constexpr std::uint32_t kHighestRate = 384000;

bool HasTag(std::span<const std::uint8_t> bytes, std::size_t offset, const char* tag) {
    return bytes.size() >= offset + 4 && std::memcmp(bytes.data() + offset, tag, 4) == 0;
}

std::optional<PcmFormat> ReadFormat(std::span<const std::uint8_t> fields) {
    if (fields.size() < kPcmFormatFieldsSize || GetU16LE(fields.data()) != kPcmFormatTag) {
        return std::nullopt;
    }
    PcmFormat format;
    format.channels = GetU16LE(fields.data() + 2);
    format.samplesPerSecond = GetU32LE(fields.data() + 4);
    format.bitsPerSample = GetU16LE(fields.data() + 14);
    const bool channelsFit = format.channels == 1 || format.channels == 2;
    const bool bitsFit = format.bitsPerSample == 8 || format.bitsPerSample == 16;
    const bool rateFits = format.samplesPerSecond > 0 && format.samplesPerSecond <= kHighestRate;
    if (!channelsFit || !bitsFit || !rateFits) {
        return std::nullopt;
    }
    return format;
}

}  // namespace

std::optional<PcmSound> ReadPcmWave(std::span<const std::uint8_t> wav) {
    if (!HasTag(wav, 0, "RIFF") || !HasTag(wav, 8, "WAVE")) {
        return std::nullopt;
    }
    std::optional<PcmFormat> format;
    std::size_t offset = kRiffHeaderSize;
    while (wav.size() - offset >= kChunkHeaderSize) {
        const std::size_t claimed = GetU32LE(wav.data() + offset + 4);
        const std::size_t bodyStart = offset + kChunkHeaderSize;
        const std::span<const std::uint8_t> body =
            wav.subspan(bodyStart, std::min(claimed, wav.size() - bodyStart));
        if (HasTag(wav, offset, "fmt ")) {
            format = ReadFormat(body);
            if (!format) {
                return std::nullopt;
            }
        } else if (HasTag(wav, offset, "data")) {
            // A data chunk before any format chunk cannot be interpreted.
            if (!format) {
                return std::nullopt;
            }
            const std::size_t frames = body.size() / format->BytesPerFrame();
            if (frames == 0) {
                return std::nullopt;
            }
            PcmSound sound{*format, {}};
            sound.samples.assign(body.begin(), body.begin() + frames * format->BytesPerFrame());
            return sound;
        }
        // Chunks are padded to an even length; a claimed size past the end stops the walk.
        const std::size_t padded = body.size() + (body.size() & 1u);
        if (body.size() < claimed || padded > wav.size() - bodyStart) {
            break;
        }
        offset = bodyStart + padded;
    }
    return std::nullopt;
}

}  // namespace qm
