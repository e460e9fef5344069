#include "texbench/imaging/tga_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "texbench/imaging/byte_order.h"

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::uint8_t kDescriptorTopDown = 0x20;
constexpr std::uint8_t kDescriptorRightToLeft = 0x10;

}  // namespace

bool CTgaImage::Serialize(std::FILE* stream, bool storing) {
    return storing ? Write(stream) : Read(stream);
}

bool CTgaImage::Read(std::FILE* stream) {
    Clear();
    std::uint8_t head[kHeaderSize];
    if (std::fread(head, 1, sizeof head, stream) != sizeof head) {
        return false;
    }
    const unsigned idLength = head[0], mapType = head[1], imageType = head[2];
    const unsigned mapLength = GetU16LE(head + 5), mapEntrySize = head[7];
    const unsigned width = GetU16LE(head + 12), height = GetU16LE(head + 14);
    const unsigned depth = head[16], descriptor = head[17];
    const bool mapFits = mapLength >= 1 && mapLength <= 256;
    if (mapType > 1 || (imageType != 1 && imageType != 2 && imageType != 9 && imageType != 10) ||
        (mapType == 1 && mapEntrySize != 24) || width == 0 || height == 0) {
        return false;
    }
    if (depth == 8 ? (mapType != 1 || !mapFits)
                   : ((depth != 16 && depth != 24) || (mapType != 0 && !mapFits))) {
        return false;
    }
    // 16-bit pixels decode to 24 bits.
    if (!ImgFitsLargestPicture(width, height, depth == 16 ? 24 : depth)) {
        return false;
    }
    if (idLength != 0 && std::fseek(stream, static_cast<long>(idLength), SEEK_CUR) != 0) {
        return false;
    }
    if (mapType != 0) {
        if (depth == 8) {
            palette_.assign(768, 0);
            if (std::fread(palette_.data(), 3, mapLength, stream) != mapLength) {
                return false;
            }
        } else if (std::fseek(stream, static_cast<long>(mapLength * 3), SEEK_CUR) != 0) {
            return false;
        }
    }
    const bool runLength = imageType >= 9;
    const std::uint64_t pixelBytes =
        std::uint64_t{depth / 8 + (runLength ? 1u : 0u)} * width * height;
    // Nothing is allocated beyond what the file can hold.
    const long long remaining = RemainingBytes(stream);
    if (remaining <= 0 || (!runLength && pixelBytes > static_cast<std::uint64_t>(remaining))) {
        return false;
    }
    pixels_.resize(std::min<std::uint64_t>(pixelBytes, static_cast<std::uint64_t>(remaining)));
    const std::size_t got = std::fread(pixels_.data(), 1, pixels_.size(), stream);
    if (std::ferror(stream) || (!runLength && got != pixels_.size())) {
        return false;
    }
    pixels_.resize(got);  // a compressed body may end early
    header_.wWidth = static_cast<std::uint16_t>(width);
    header_.wHeight = static_cast<std::uint16_t>(height);
    header_.bDepth = static_cast<std::uint8_t>(depth);
    header_.bAlign = 8;
    header_.bOrientation = static_cast<std::uint8_t>(
        ((descriptor & kDescriptorTopDown) ? 0 : kOrientationBottomUp) |
        ((descriptor & kDescriptorRightToLeft) ? kOrientationMirrored : 0));
    header_.bEncoding = runLength ? kRunLength : kRaw;
    return !pixels_.empty();
}

bool CTgaImage::Decode() {
    if (IsEmpty()) {
        return false;
    }
    if (header_.bEncoding == kRaw) {
        return true;
    }
    if (header_.bEncoding != kRunLength) {
        return false;
    }
    const std::size_t pixelSize = header_.bDepth / 8;
    // A body may end early (the rest stays black); the size is within the largest picture.
    const std::uint64_t needed = std::uint64_t{pixelSize} * header_.wWidth * header_.wHeight;
    if (!ImgFitsLargestPicture(header_.wWidth, header_.wHeight, header_.bDepth == 8 ? 8 : 24)) {
        return false;
    }
    std::vector<std::uint8_t> out(needed);
    std::size_t in = 0, pos = 0;
    while (in < pixels_.size() && pos < out.size()) {
        const std::uint8_t packet = pixels_[in++];
        const std::size_t count = (packet & 0x7F) + 1u;
        const bool run = packet >= 0x80;
        const std::size_t needed = run ? pixelSize : count * pixelSize;
        if (in + needed > pixels_.size() || pos + count * pixelSize > out.size()) {
            return false;
        }
        for (std::size_t k = 0; k < count; ++k) {
            std::memcpy(&out[pos], &pixels_[in + (run ? 0 : k * pixelSize)], pixelSize);
            pos += pixelSize;
        }
        in += needed;
    }
    pixels_ = std::move(out);
    header_.bEncoding = kRaw;
    return true;
}

bool CTgaImage::Encode() {
    return !IsEmpty();
}

std::uint32_t CTgaImage::GetFileSize() const {
    return static_cast<std::uint32_t>(kHeaderSize + palette_.size() + pixels_.size());
}

bool CTgaImage::Write(std::FILE* stream) const {
    const unsigned depth = header_.bDepth;
    const bool mapped = !palette_.empty();
    if (IsEmpty() || (depth != 8 && depth != 24) || mapped != (depth == 8) ||
        header_.bEncoding != kRaw || header_.bAlign != 8 ||
        pixels_.size() != std::size_t{depth / 8u} * header_.wWidth * header_.wHeight) {
        return false;
    }
    std::uint8_t head[kHeaderSize] = {};
    head[1] = mapped ? 1 : 0;
    head[2] = mapped ? 1 : 2;
    PutU16LE(head + 5, static_cast<std::uint32_t>(palette_.size() / 3));
    head[7] = mapped ? 24 : 0;
    PutU16LE(head + 12, header_.wWidth);
    PutU16LE(head + 14, header_.wHeight);
    head[16] = static_cast<std::uint8_t>(depth);
    head[17] = static_cast<std::uint8_t>(
        ((header_.bOrientation & kOrientationBottomUp) ? 0 : kDescriptorTopDown) |
        ((header_.bOrientation & kOrientationMirrored) ? kDescriptorRightToLeft : 0));
    return std::fwrite(head, 1, sizeof head, stream) == sizeof head && WriteAll(stream, palette_) &&
           WriteAll(stream, pixels_) && !std::ferror(stream);
}

bool CTgaImage::ExportTo(IMAGEDATA* image) {
    if (image == nullptr || !Decode() || !HasDecodedRows()) {
        return false;
    }
    ImgFree(image);
    image->header = header_;
    const std::size_t pixelCount = std::size_t{header_.wWidth} * header_.wHeight;
    if (header_.bDepth == 16) {
        // Direct 5-5-5 colour: 16 bits in IMAGEDATA would mean a palette index.
        image->header.bDepth = 24;
        image->lpPixels = static_cast<std::uint8_t*>(std::malloc(pixelCount * 3));
        if (image->lpPixels == nullptr) {
            return false;
        }
        for (std::size_t i = 0; i < pixelCount; ++i) {
            const std::uint16_t v = GetU16LE(&pixels_[i * 2]);
            image->lpPixels[i * 3 + 0] = static_cast<std::uint8_t>((v & 0x1F) << 3);
            image->lpPixels[i * 3 + 1] = static_cast<std::uint8_t>(((v >> 5) & 0x1F) << 3);
            image->lpPixels[i * 3 + 2] = static_cast<std::uint8_t>(((v >> 10) & 0x1F) << 3);
        }
        image->dwPixelBytes = static_cast<std::uint32_t>(pixelCount * 3);
        return true;
    }
    if (!palette_.empty()) {
        image->lpPalette = static_cast<std::uint8_t*>(std::malloc(palette_.size()));
        if (image->lpPalette == nullptr) {
            return false;
        }
        std::memcpy(image->lpPalette, palette_.data(), palette_.size());
        image->dwPaletteEntries = static_cast<std::uint32_t>(palette_.size() / 3);
    }
    return CopyPixelsInto(image);
}

bool CTgaImage::ImportFrom(const IMAGEDATA* source) {
    if (source == nullptr || !ImgValidate(source)) {
        return false;
    }
    Clear();
    header_ = source->header;
    const std::uint32_t depth = source->header.bDepth;
    if (depth == 16) {
        // Expanded through its palette to true colour, which the file can hold.
        const std::uint64_t stride = ImgStride(source->header.wWidth, 16, source->header.bAlign);
        header_.bDepth = 24;
        header_.bAlign = 8;
        pixels_.resize(std::size_t{3} * source->header.wWidth * source->header.wHeight);
        for (unsigned y = 0; y < source->header.wHeight; ++y) {
            for (unsigned x = 0; x < source->header.wWidth; ++x) {
                const std::uint8_t* p = source->lpPixels + y * stride + x * 2;
                const std::uint8_t* entry = source->lpPalette + 3 * GetU16LE(p);
                std::memcpy(&pixels_[(std::size_t{y} * source->header.wWidth + x) * 3], entry, 3);
            }
        }
        header_.dwColorsUsed = 0;
        return true;
    }
    if (depth == 4) {
        header_.bDepth = 8;  // four bits are held as eight with a 256-entry colour map
        palette_.assign(768, 0);
        std::memcpy(palette_.data(), source->lpPalette, 16 * 3);
    } else if (depth == 8) {
        palette_.assign(source->lpPalette, source->lpPalette + 768);
    }
    pixels_.assign(source->lpPixels, source->lpPixels + source->dwPixelBytes);
    if (!SetRowAlignment(8)) {
        Clear();
        return false;
    }
    return true;
}
