#include "suite/sound_description.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/byte_order.h"

namespace suite {
namespace {

constexpr std::size_t kFormatTagOffset = 12;
constexpr std::size_t kTagsSize = 16;
// The format chunk's fields end at byte 34 (14-byte chunk) or 36 (with bits per sample).
constexpr std::size_t kWithoutBitsSize = 34;
constexpr std::size_t kWithBitsSize = 36;
constexpr std::uint32_t kSmallestFormat = 14;
constexpr std::uint32_t kLargestFormat = 18;
constexpr std::uint32_t kFormatWithBits = 16;
constexpr std::uint32_t kHeaderBytesBesideFormat = 24;

struct SoundHeader {
    std::uint32_t riffSize;
    std::uint32_t formatSize;
    std::uint16_t channels;
    std::uint32_t samplesPerSecond;
    std::uint32_t bytesPerSecond;
    std::uint16_t bitsPerSample;  // 0 when the format chunk has no such field
};

// False when the format chunk size is out of range or the data ends before its fields;
// an item cut short must not be read beyond its end.
bool ReadHeader(const unsigned char* data, std::size_t size, SoundHeader* header) {
    if (data == nullptr || size < 20) {
        return false;
    }
    header->formatSize = qm::GetU32LE(data + 16);
    if (header->formatSize < kSmallestFormat || header->formatSize > kLargestFormat) {
        return false;
    }
    const bool withBits = header->formatSize >= kFormatWithBits;
    if (size < (withBits ? kWithBitsSize : kWithoutBitsSize)) {
        return false;
    }
    header->riffSize = qm::GetU32LE(data + 4);
    header->channels = qm::GetU16LE(data + 22);
    header->samplesPerSecond = qm::GetU32LE(data + 24);
    header->bytesPerSecond = qm::GetU32LE(data + 28);
    header->bitsPerSample = withBits ? qm::GetU16LE(data + 34) : 0;
    return true;
}

const char* ChannelSuffix(std::uint16_t channels) {
    switch (channels) {
        case 1:
            return " (mono)";
        case 2:
            return " (stereo)";
        default:
            return "";
    }
}

}  // namespace

bool HasSoundFormatHeader(const unsigned char* data, std::size_t size) {
    return data != nullptr && size >= kTagsSize &&
           std::memcmp(data + kFormatTagOffset, "fmt ", 4) == 0;
}

std::string DescribeSoundItem(const unsigned char* data, std::size_t size) {
    SoundHeader header{};
    if (!ReadHeader(data, size, &header)) {
        return "(unknown format)";
    }
    // Unsigned on purpose: a RIFF size below the header wraps to a huge duration rather
    // than a negative one; the line shows what the header claims, it does not judge it.
    const std::uint32_t payload = header.riffSize - header.formatSize - kHeaderBytesBesideFormat;
    const double seconds =
        static_cast<double>(payload) / static_cast<double>(header.bytesPerSecond);
    const unsigned thousands = header.samplesPerSecond / 1000;
    const unsigned rest = header.samplesPerSecond % 1000;

    // Large enough for a wrapped duration (about 4.3e9 seconds) and every field at its widest.
    char text[160];
    if (header.formatSize < kFormatWithBits) {
        std::snprintf(text, sizeof text, "%#.1f sec @ %u.%.3u Hz%s", seconds, thousands, rest,
                      ChannelSuffix(header.channels));
    } else {
        std::snprintf(text, sizeof text, "%#.1f sec @ %u.%.3u Hz, %d Bit%s", seconds, thousands,
                      rest, static_cast<int>(header.bitsPerSample), ChannelSuffix(header.channels));
    }
    return text;
}

std::optional<SoundFileLines> DescribeSoundFileHeader(std::span<const unsigned char> header) {
    if (header.size() < kSoundFileHeaderSize || std::memcmp(header.data(), "RIFF", 4) != 0 ||
        std::memcmp(header.data() + 8, "WAVE", 4) != 0 ||
        std::memcmp(header.data() + kFormatTagOffset, "fmt ", 4) != 0) {
        return std::nullopt;
    }
    const std::uint32_t formatSize = qm::GetU32LE(header.data() + 16);
    if (formatSize < kSmallestFormat || formatSize > kLargestFormat ||
        qm::GetU16LE(header.data() + 20) != 1) {
        return std::nullopt;
    }
    // This line counts a fixed 40 bytes of header whatever the format chunk's size, and the
    // subtraction wraps like the info line's.
    const std::uint32_t payload =
        qm::GetU32LE(header.data() + 4) - static_cast<std::uint32_t>(kSoundFileHeaderSize);
    const double seconds =
        static_cast<double>(payload) / static_cast<double>(qm::GetU32LE(header.data() + 28));
    const std::uint32_t rate = qm::GetU32LE(header.data() + 24);
    const std::uint16_t channels = qm::GetU16LE(header.data() + 22);
    char duration[96];
    std::snprintf(duration, sizeof duration, "%#.1f sec @ %u.%.3u Hz", seconds, rate / 1000,
                  rate % 1000);
    char format[48];
    std::snprintf(format, sizeof format, "%d Bit%s",
                  static_cast<int>(qm::GetU16LE(header.data() + 34)),
                  channels < 2 ? " (mono)" : " (stereo)");
    return SoundFileLines{duration, format};
}

std::optional<SoundFileLines> DescribeSoundFile(const std::string& fileName) {
    unsigned char header[kSoundFileHeaderSize];
    std::ifstream file(fileName, std::ios::binary);
    if (!file.read(reinterpret_cast<char*>(header), sizeof header)) {
        return std::nullopt;
    }
    return DescribeSoundFileHeader(header);
}

}  // namespace suite
