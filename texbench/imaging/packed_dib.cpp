#include "texbench/imaging/packed_dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "texbench/imaging/byte_order.h"

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;

std::uint64_t RoundUp4(std::uint64_t bytes) {
    return (bytes + 3) & ~std::uint64_t{3};
}

// A deep copy that the conversions may change.
bool Copy(const IMAGEDATA& from, IMAGEDATA& to) {
    to = from;
    to.lpPalette = nullptr;
    to.lpPixels = static_cast<std::uint8_t*>(std::malloc(from.dwPixelBytes));
    if (to.lpPixels == nullptr) {
        return false;
    }
    std::memcpy(to.lpPixels, from.lpPixels, from.dwPixelBytes);
    if (from.lpPalette != nullptr) {
        to.lpPalette = static_cast<std::uint8_t*>(std::malloc(from.dwPaletteEntries * 3u));
        if (to.lpPalette == nullptr) {
            return false;
        }
        std::memcpy(to.lpPalette, from.lpPalette, from.dwPaletteEntries * 3u);
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> ImgToPackedDib(const IMAGEDATA* source) {
    std::vector<std::uint8_t> dib;
    if (source == nullptr || !ImgValidate(source)) {
        return dib;
    }
    IMAGEDATA image{};
    bool ok = Copy(*source, image);
    if (ok && image.header.bDepth == 16) {
        ok = ImgTo24Bit(&image, 32);
    }
    ok = ok && ImgSetRowAlignment(&image, 32);
    if (ok && (image.header.bOrientation & kOrientationMirrored)) {
        ok = ImgMirror(&image);
    }
    if (ok && !(image.header.bOrientation & kOrientationBottomUp)) {
        ok = ImgFlipVertical(&image);
    }
    if (!ok) {
        ImgFree(&image);
        return dib;
    }
    const unsigned width = image.header.wWidth, height = image.header.wHeight;
    const unsigned depth = image.header.bDepth;
    const std::uint32_t tableEntries = depth == 24 ? 0 : ImgPaletteEntries(depth);
    const std::uint64_t packedStride = depth == 4 ? RoundUp4((width + 1u) / 2) : 0;
    const std::uint64_t bitsSize = depth == 4 ? packedStride * height : image.dwPixelBytes;
    dib.assign(kInfoHeaderSize + tableEntries * 4u + bitsSize, 0);
    PutU32LE(&dib[0], kInfoHeaderSize);
    PutU32LE(&dib[4], width);
    PutU32LE(&dib[8], height);
    PutU16LE(&dib[12], 1);
    PutU16LE(&dib[14], depth);
    for (std::uint32_t i = 0; i < tableEntries; ++i) {
        std::memcpy(&dib[kInfoHeaderSize + i * 4], image.lpPalette + i * 3, 3);
    }
    std::uint8_t* bits = dib.data() + kInfoHeaderSize + tableEntries * 4u;
    if (depth == 4) {
        const std::uint64_t stride = ImgStride(width, 4, 32);
        for (unsigned y = 0; y < height; ++y) {
            for (unsigned x = 0; x < width; ++x) {
                const std::uint8_t nibble = image.lpPixels[y * stride + x] & 0x0F;
                bits[y * packedStride + x / 2] |= (x % 2 == 0) ? (nibble << 4) : nibble;
            }
        }
    } else {
        std::memcpy(bits, image.lpPixels, image.dwPixelBytes);
    }
    ImgFree(&image);
    return dib;
}

bool ImgFromPackedDib(std::span<const std::uint8_t> dib, IMAGEDATA* image) {
    if (image == nullptr) {
        return false;
    }
    ImgFree(image);
    if (dib.size() < kInfoHeaderSize) {
        return false;
    }
    const std::uint32_t headerSize = GetU32LE(&dib[0]);
    const auto width = static_cast<std::int32_t>(GetU32LE(&dib[4]));
    const auto height = static_cast<std::int32_t>(GetU32LE(&dib[8]));
    const unsigned planes = GetU16LE(&dib[12]), depth = GetU16LE(&dib[14]);
    const std::uint32_t compression = GetU32LE(&dib[16]), colorsUsed = GetU32LE(&dib[32]);
    const std::int64_t absHeight = height < 0 ? -std::int64_t{height} : height;
    if (headerSize != kInfoHeaderSize || width <= 0 || width > 0xFFFF || height == 0 ||
        absHeight > 0xFFFF || planes != 1 || compression != 0 ||
        (depth != 4 && depth != 8 && depth != 24) ||
        !ImgFitsLargestPicture(static_cast<std::uint64_t>(width),
                               static_cast<std::uint64_t>(absHeight), depth)) {
        return false;
    }
    const std::uint32_t paletteEntries = ImgPaletteEntries(depth);
    const std::uint32_t tableEntries =
        colorsUsed != 0 ? colorsUsed : (depth == 24 ? 0 : paletteEntries);
    if (depth != 24 && tableEntries > paletteEntries) {
        return false;
    }
    const std::uint64_t bitsOffset = kInfoHeaderSize + std::uint64_t{tableEntries} * 4;
    const std::uint64_t rowBytes =
        depth == 4 ? RoundUp4((width + 1u) / 2) : RoundUp4(std::uint64_t(width) * (depth / 8));
    // The rows must lie inside the bytes given.
    if (bitsOffset + rowBytes * absHeight > dib.size()) {
        return false;
    }
    const std::uint64_t stride = ImgStride(static_cast<unsigned>(width), depth, 32);
    image->lpPixels = static_cast<std::uint8_t*>(std::calloc(1, stride * absHeight));
    if (depth != 24) {
        image->lpPalette = static_cast<std::uint8_t*>(std::calloc(paletteEntries, 3));
    }
    if (image->lpPixels == nullptr || (depth != 24 && image->lpPalette == nullptr)) {
        ImgFree(image);
        return false;
    }
    for (std::uint32_t i = 0; i < tableEntries && depth != 24; ++i) {
        std::memcpy(image->lpPalette + i * 3, &dib[kInfoHeaderSize + i * 4], 3);
    }
    const std::uint8_t* bits = dib.data() + bitsOffset;
    for (std::int64_t y = 0; y < absHeight; ++y) {
        const std::uint8_t* in = bits + y * rowBytes;
        std::uint8_t* out = image->lpPixels + y * stride;
        if (depth == 4) {
            for (std::int32_t x = 0; x < width; ++x) {
                out[x] = (x % 2 == 0) ? (in[x / 2] >> 4) : (in[x / 2] & 0x0F);
            }
        } else {
            std::memcpy(out, in,
                        static_cast<std::size_t>(std::min<std::uint64_t>(rowBytes, stride)));
        }
    }
    image->header.wWidth = static_cast<std::uint16_t>(width);
    image->header.wHeight = static_cast<std::uint16_t>(absHeight);
    image->header.bDepth = static_cast<std::uint8_t>(depth);
    image->header.bAlign = 32;
    image->header.bOrientation = height > 0 ? kOrientationBottomUp : 0;
    image->dwPaletteEntries = depth == 24 ? 0 : paletteEntries;
    image->dwPixelBytes = static_cast<std::uint32_t>(stride * absHeight);
    return true;
}
