#include "patchbench/engine/item_information.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/byte_order.h"
#include "texbench/imaging/rim_archive.h"

namespace patchbench {
namespace {

// The fields read from the canonical 44-byte header end with the bits per sample at 34.
constexpr std::size_t kHeaderBytesRead = 36;
// The RIFF size counts everything after its own field; the canonical header is 44 bytes.
constexpr std::uint32_t kHeaderBytesCounted = 40;

bool HasTags(std::span<const unsigned char> data) {
    return data.size() >= 16 && std::memcmp(data.data(), "RIFF", 4) == 0 &&
           std::memcmp(data.data() + 8, "WAVE", 4) == 0 &&
           std::memcmp(data.data() + 12, "fmt ", 4) == 0;
}

}  // namespace

const char* DepthText(unsigned depth) {
    if (depth == 1) {
        return "1 Bit Per Pixel (2 Colors)";
    }
    if (depth <= 4) {
        return "4 Bits Per Pixel (16 Colors)";
    }
    if (depth <= 8) {
        return "8 Bits Per Pixel (256 Colors)";
    }
    if (depth <= 16) {
        return "16 Bits Per Pixel (65536 Colors)";
    }
    return "24 Bits Per Pixel (16 Million Colors)";
}

std::optional<TextureInformation> DescribeTexture(std::span<const unsigned char> data) {
    CRimArchive archive;
    CRimImage image;
    if (data.empty() || !archive.Parse(data) || !archive.GetSlotImage(0, image)) {
        return std::nullopt;
    }
    // The stored plane count, read before decoding turns it into the decoded depth.
    const unsigned depth = image.GetDepth();
    TextureInformation information;
    if (!image.ExportTo(information.picture.Get())) {
        return std::nullopt;
    }
    char size[64];
    std::snprintf(size, sizeof size, "Width: %d   Height: %d", static_cast<int>(image.GetWidth()),
                  static_cast<int>(image.GetHeight()));
    information.size = size;
    information.depth = DepthText(depth);
    return information;
}

std::optional<SoundInformation> DescribeSound(std::span<const unsigned char> data) {
    if (!HasTags(data) || data.size() < kHeaderBytesRead) {
        return std::nullopt;
    }
    const std::uint32_t riffSize = qm::GetU32LE(data.data() + 4);
    const std::uint16_t channels = qm::GetU16LE(data.data() + 22);
    const std::uint32_t rate = qm::GetU32LE(data.data() + 24);
    const std::uint32_t byteRate = qm::GetU32LE(data.data() + 28);
    const std::uint16_t bits = qm::GetU16LE(data.data() + 34);
    // Unsigned on purpose, as the browser's line: a RIFF size below the header reads as a huge
    // length, a byte rate of 0 as an endless one; the line shows what the header claims.
    const double payload = static_cast<double>(riffSize - kHeaderBytesCounted);
    const double seconds = byteRate == 0 ? std::numeric_limits<double>::infinity()
                                         : payload / static_cast<double>(byteRate);
    char length[96];
    std::snprintf(length, sizeof length, "%#.1f sec @ %u.%.3u Hz", seconds, rate / 1000,
                  rate % 1000);
    char format[48];
    std::snprintf(format, sizeof format, "%d Bit%s", static_cast<int>(bits),
                  channels < 2 ? " (mono)" : " (stereo)");
    return SoundInformation{length, format};
}

}  // namespace patchbench
