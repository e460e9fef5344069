#include "texbench/imaging/bmp_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "texbench/imaging/byte_order.h"

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

std::uint64_t RoundUp4(std::uint64_t bytes) {
    return (bytes + 3) & ~std::uint64_t{3};
}

// Bytes of one stored row of an uncompressed body.
std::uint64_t StoredRowBytes(unsigned width, unsigned depth) {
    switch (depth) {
        case 4:
            return RoundUp4((std::uint64_t{width} + 1) / 2);
        case 16:
            return RoundUp4(std::uint64_t{width} * 2);
        case 24:
            return RoundUp4(std::uint64_t{width} * 3);
        default:
            return RoundUp4(width);
    }
}

}  // namespace

bool CBmpImage::Serialize(std::FILE* stream, bool storing) {
    return storing ? Write(stream) : Read(stream);
}

bool CBmpImage::Read(std::FILE* stream) {
    Clear();
    std::uint8_t head[kFileHeaderSize + kInfoHeaderSize];
    const long start = std::ftell(stream);
    if (start < 0 || std::fread(head, 1, sizeof head, stream) != sizeof head || head[0] != 'B' ||
        head[1] != 'M') {
        return false;
    }
    const std::uint8_t* info = head + kFileHeaderSize;
    const std::uint32_t pixelOffset = GetU32LE(head + 10);
    const std::uint32_t headerSize = GetU32LE(info);
    const auto width = static_cast<std::int32_t>(GetU32LE(info + 4));
    const auto height = static_cast<std::int32_t>(GetU32LE(info + 8));
    const unsigned planes = GetU16LE(info + 12);
    const unsigned depth = GetU16LE(info + 14);
    const std::uint32_t compression = GetU32LE(info + 16);
    const std::uint32_t imageSize = GetU32LE(info + 20);
    const std::uint32_t colorsUsed = GetU32LE(info + 32);
    const std::uint64_t absHeight = height < 0 ? -std::int64_t{height} : height;
    if (headerSize < kInfoHeaderSize || planes != 1 || width <= 0 || width > 0xFFFF ||
        height == 0 || absHeight > 0xFFFF) {
        return false;
    }
    if (depth != 4 && depth != 8 && depth != 16 && depth != 24) {
        return false;
    }
    // 16-bit pixels decode to 24 bits.
    if (!ImgFitsLargestPicture(static_cast<std::uint64_t>(width), absHeight,
                               depth == 16 ? 24 : depth)) {
        return false;
    }
    if (compression > 2 || (compression != 0 && imageSize == 0) ||
        (compression == 1 && depth != 8) || (compression == 2 && depth != 4)) {
        return false;
    }
    const std::uint32_t maxColors = depth == 4 ? 16 : depth == 8 ? 256 : 65536;
    if (depth <= 16 && colorsUsed > maxColors) {
        return false;
    }
    if (headerSize > kInfoHeaderSize &&
        std::fseek(stream, static_cast<long>(headerSize - kInfoHeaderSize), SEEK_CUR) != 0) {
        return false;
    }
    if (depth <= 8) {
        const std::uint32_t entries = 1u << depth;
        palette_.assign(entries * 4, 0);
        const std::uint32_t toRead = colorsUsed != 0 ? colorsUsed : entries;
        if (std::fread(palette_.data(), 4, toRead, stream) != toRead) {
            return false;
        }
    }
    if (std::ftell(stream) != start + static_cast<long>(pixelOffset) &&
        std::fseek(stream, start + static_cast<long>(pixelOffset), SEEK_SET) != 0) {
        return false;
    }
    const std::uint64_t pixelBytes =
        imageSize != 0 ? imageSize
                       : StoredRowBytes(static_cast<unsigned>(width), depth) * absHeight;
    // Refused before anything is allocated when the file cannot hold that many bytes.
    const long long remaining = RemainingBytes(stream);
    if (remaining < 0 || pixelBytes == 0 || pixelBytes > static_cast<std::uint64_t>(remaining)) {
        return false;
    }
    pixels_.resize(pixelBytes);
    if (std::fread(pixels_.data(), 1, pixels_.size(), stream) != pixels_.size()) {
        return false;
    }
    header_.wWidth = static_cast<std::uint16_t>(width);
    header_.wHeight = static_cast<std::uint16_t>(absHeight);
    header_.bDepth = static_cast<std::uint8_t>(depth);
    header_.bAlign = 32;
    header_.bOrientation = height > 0 ? kOrientationBottomUp : 0;
    header_.bEncoding = static_cast<std::uint8_t>(compression);
    if (compression == 0 && depth == 4) {
        header_.bEncoding = kPacked4;
    } else if (depth == 16) {
        header_.bEncoding = kRgb555;
    }
    return true;
}

bool CBmpImage::DecodeRle(std::vector<std::uint8_t>& out, std::uint64_t stride) const {
    const bool rle4 = header_.bEncoding == kRle4;
    const std::uint8_t* in = pixels_.data();
    const std::size_t inSize = pixels_.size();
    std::size_t i = 0;
    std::uint64_t pos = 0;
    const std::uint64_t end = out.size();
    // Runs are cut at the end of the picture.
    auto put = [&](std::uint8_t value) {
        if (pos < end) {
            out[pos] = value;
        }
        ++pos;
    };
    while (i + 2 <= inSize && pos < end) {
        const std::uint8_t n = in[i], v = in[i + 1];
        i += 2;
        if (n > 0) {
            for (unsigned k = 0; k < n && pos < end; ++k) {
                put(rle4 ? ((k % 2 == 0) ? (v >> 4) : (v & 0x0F)) : v);
            }
        } else if (v == 0) {
            if (pos % stride != 0) {
                pos = (pos / stride + 1) * stride;
            }
        } else if (v == 1) {
            break;
        } else if (v == 2) {
            if (i + 2 > inSize) {
                break;
            }
            pos += in[i] + std::uint64_t{in[i + 1]} * stride;
            i += 2;
        } else {
            // An absolute run, read in 16-bit units.
            const unsigned perUnit = rle4 ? 4 : 2;
            unsigned written = 0;
            while (written < v && i + 2 <= inSize && pos < end) {
                const std::uint8_t unit[2] = {in[i], in[i + 1]};
                i += 2;
                for (unsigned k = 0; k < perUnit && written < v && pos < end; ++k, ++written) {
                    if (rle4) {
                        const std::uint8_t byte = unit[k / 2];
                        put(k % 2 == 0 ? (byte >> 4) : (byte & 0x0F));
                    } else {
                        put(unit[k]);
                    }
                }
            }
        }
    }
    return true;
}

bool CBmpImage::Decode() {
    if (IsEmpty()) {
        return false;
    }
    const unsigned width = header_.wWidth, height = header_.wHeight;
    switch (header_.bEncoding) {
        case kDecoded:
            return true;
        case kRle8:
        case kRle4: {
            if (header_.bDepth != (header_.bEncoding == kRle8 ? 8 : 4)) {
                return false;
            }
            // Skips and an early end let a short body describe a whole picture; the header's
            // size was held to the largest picture when the file was read.
            const std::uint64_t stride = ImgStride(width, 8, 32);
            const std::uint64_t needed = stride * height;
            if (!ImgFitsLargestPicture(width, height, 8)) {
                return false;
            }
            std::vector<std::uint8_t> out(needed, 0);
            DecodeRle(out, stride);
            pixels_ = std::move(out);
            break;
        }
        case kPacked4: {
            if (header_.bDepth != 4) {
                return false;
            }
            const std::uint64_t inStride = StoredRowBytes(width, 4);
            const std::uint64_t stride = ImgStride(width, 4, 32);
            if (pixels_.size() < inStride * height) {
                return false;
            }
            std::vector<std::uint8_t> out(stride * height, 0);
            for (unsigned y = 0; y < height; ++y) {
                for (unsigned x = 0; x < width; ++x) {
                    const std::uint8_t byte = pixels_[y * inStride + x / 2];
                    out[y * stride + x] = (x % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
                }
            }
            pixels_ = std::move(out);
            break;
        }
        case kRgb555: {
            if (header_.bDepth != 16) {
                return false;
            }
            const std::uint64_t inStride = StoredRowBytes(width, 16);
            const std::uint64_t stride = ImgStride(width, 24, 32);
            if (pixels_.size() < inStride * height) {
                return false;
            }
            std::vector<std::uint8_t> out(stride * height, 0);
            for (unsigned y = 0; y < height; ++y) {
                for (unsigned x = 0; x < width; ++x) {
                    const std::uint16_t v = GetU16LE(&pixels_[y * inStride + x * 2]);
                    std::uint8_t* p = &out[y * stride + x * 3];
                    p[0] = static_cast<std::uint8_t>((v & 0x1F) << 3);
                    p[1] = static_cast<std::uint8_t>(((v >> 5) & 0x1F) << 3);
                    p[2] = static_cast<std::uint8_t>(((v >> 10) & 0x1F) << 3);
                }
            }
            pixels_ = std::move(out);
            header_.bDepth = 24;
            break;
        }
        default:
            return false;
    }
    header_.bEncoding = kDecoded;
    header_.bAlign = 32;
    return true;
}

bool CBmpImage::Encode() {
    if (IsEmpty()) {
        return false;
    }
    if (header_.bEncoding != kDecoded) {
        return true;
    }
    // Files keep rows padded to 4 bytes.
    if (!SetRowAlignment(32)) {
        return false;
    }
    if (header_.bDepth != 4) {
        return true;
    }
    const unsigned width = header_.wWidth, height = header_.wHeight;
    const std::uint64_t stride = DecodedStride();
    const std::uint64_t outStride = StoredRowBytes(width, 4);
    std::vector<std::uint8_t> out(outStride * height, 0);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const std::uint8_t nibble = pixels_[y * stride + x] & 0x0F;
            out[y * outStride + x / 2] |= (x % 2 == 0) ? (nibble << 4) : nibble;
        }
    }
    pixels_ = std::move(out);
    header_.bEncoding = kPacked4;
    return true;
}

std::uint32_t CBmpImage::GetFileSize() const {
    return static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + palette_.size() +
                                      pixels_.size());
}

bool CBmpImage::Write(std::FILE* stream) const {
    const unsigned depth = header_.bDepth;
    const bool stored =
        (depth == 4 && header_.bEncoding == kPacked4) ||
        ((depth == 8 || depth == 24) && header_.bEncoding == kDecoded && header_.bAlign == 32);
    if (IsEmpty() || !stored || (depth <= 8) != !palette_.empty()) {
        return false;
    }
    std::uint8_t head[kFileHeaderSize + kInfoHeaderSize] = {};
    head[0] = 'B';
    head[1] = 'M';
    PutU32LE(head + 2, GetFileSize());
    PutU32LE(head + 10,
             static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + palette_.size()));
    std::uint8_t* info = head + kFileHeaderSize;
    PutU32LE(info, kInfoHeaderSize);
    PutU32LE(info + 4, header_.wWidth);
    // Rows stored top-down are written with a negative height, so that the picture is not
    // turned upside down.
    const std::int32_t height = (header_.bOrientation & kOrientationBottomUp)
                                    ? header_.wHeight
                                    : -std::int32_t{header_.wHeight};
    PutU32LE(info + 8, static_cast<std::uint32_t>(height));
    PutU16LE(info + 12, 1);
    PutU16LE(info + 14, depth);
    PutU32LE(info + 20, static_cast<std::uint32_t>(pixels_.size()));
    PutU32LE(info + 32, static_cast<std::uint32_t>(palette_.size() / 4));
    return std::fwrite(head, 1, sizeof head, stream) == sizeof head && WriteAll(stream, palette_) &&
           WriteAll(stream, pixels_) && !std::ferror(stream);
}

bool CBmpImage::ExportTo(IMAGEDATA* image) {
    if (image == nullptr || !Decode() || !HasDecodedRows()) {
        return false;
    }
    ImgFree(image);
    image->header = header_;
    image->header.bEncoding = 0;
    const std::uint32_t entries = static_cast<std::uint32_t>(palette_.size() / 4);
    if (entries != 0) {
        image->lpPalette = static_cast<std::uint8_t*>(std::malloc(entries * 3));
        if (image->lpPalette == nullptr) {
            return false;
        }
        for (std::uint32_t i = 0; i < entries; ++i) {
            std::memcpy(image->lpPalette + i * 3, &palette_[i * 4], 3);
        }
        image->dwPaletteEntries = entries;
    }
    return CopyPixelsInto(image);
}

bool CBmpImage::ImportFrom(const IMAGEDATA* source) {
    if (source == nullptr || !ImgValidate(source)) {
        return false;
    }
    // A 16-bit record is indexed into a 65,536-entry palette, which bitmaps cannot hold.
    IMAGEDATA copy{};
    const IMAGEDATA* image = source;
    if (source->header.bDepth == 16) {
        copy = *source;
        copy.lpPixels = static_cast<std::uint8_t*>(std::malloc(source->dwPixelBytes));
        copy.lpPalette = static_cast<std::uint8_t*>(std::malloc(source->dwPaletteEntries * 3u));
        if (copy.lpPixels == nullptr || copy.lpPalette == nullptr) {
            ImgFree(&copy);
            return false;
        }
        std::memcpy(copy.lpPixels, source->lpPixels, source->dwPixelBytes);
        std::memcpy(copy.lpPalette, source->lpPalette, source->dwPaletteEntries * 3u);
        if (!ImgTo24Bit(&copy, 0)) {
            ImgFree(&copy);
            return false;
        }
        image = &copy;
    }
    Clear();
    header_ = image->header;
    palette_.assign(image->dwPaletteEntries * 4u, 0);
    for (std::uint32_t i = 0; i < image->dwPaletteEntries; ++i) {
        std::memcpy(&palette_[i * 4], image->lpPalette + i * 3, 3);
    }
    pixels_.assign(image->lpPixels, image->lpPixels + image->dwPixelBytes);
    ImgFree(&copy);
    bool ok = true;
    if (header_.bOrientation & kOrientationMirrored) {
        ok = Mirror();
    }
    if (ok && !(header_.bOrientation & kOrientationBottomUp)) {
        ok = FlipVertical();
    }
    ok = ok && SetRowAlignment(32);
    if (!ok) {
        Clear();
    }
    return ok;
}
