#include "suite/other_tga.h"

#include <cstdlib>
#include <fstream>
#include <span>
#include <vector>

#include "suite/picture_alpha.h"
#include "texbench/imaging/byte_order.h"

namespace suite {
namespace {

constexpr std::size_t kHeaderSize = 18;

struct TgaHeader {
    unsigned idLength, mapType, imageType, mapOrigin, mapLength, mapEntryBits;
    unsigned width, height, depth, descriptor;
};

// 15/16-bit 5-5-5 (the top bit is an attribute bit most writers leave 0), 24 and 32-bit
// entries, as red, green, blue, alpha.
void ToRgba(const std::uint8_t* p, unsigned bits, std::uint8_t* out) {
    if (bits <= 16) {
        const unsigned v = p[0] | (p[1] << 8);
        out[0] = static_cast<std::uint8_t>(((v >> 10) & 0x1F) << 3);
        out[1] = static_cast<std::uint8_t>(((v >> 5) & 0x1F) << 3);
        out[2] = static_cast<std::uint8_t>((v & 0x1F) << 3);
        out[3] = 255;
        return;
    }
    out[0] = p[2];
    out[1] = p[1];
    out[2] = p[0];
    out[3] = bits == 32 ? p[3] : 255;
}

// The pixel bytes in file order, run-length packets undone; false when the body is short.
bool UnpackBody(std::span<const std::uint8_t> body, bool runLength, std::size_t pixelBytes,
                std::uint64_t pixels, std::vector<std::uint8_t>& out) {
    const std::uint64_t total = pixels * pixelBytes;
    if (!runLength) {
        if (body.size() < total) {
            return false;
        }
        out.assign(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(total));
        return true;
    }
    out.clear();
    out.reserve(total);
    std::size_t at = 0;
    while (out.size() < total) {
        if (at >= body.size()) {
            return false;
        }
        const unsigned packet = body[at++];
        const std::size_t count = (packet & 0x7F) + 1u;
        if (out.size() + count * pixelBytes > total) {
            return false;
        }
        if (packet & 0x80) {
            if (at + pixelBytes > body.size()) {
                return false;
            }
            for (std::size_t i = 0; i < count; ++i) {
                out.insert(out.end(), body.begin() + static_cast<std::ptrdiff_t>(at),
                           body.begin() + static_cast<std::ptrdiff_t>(at + pixelBytes));
            }
            at += pixelBytes;
        } else {
            if (at + count * pixelBytes > body.size()) {
                return false;
            }
            out.insert(out.end(), body.begin() + static_cast<std::ptrdiff_t>(at),
                       body.begin() + static_cast<std::ptrdiff_t>(at + count * pixelBytes));
            at += count * pixelBytes;
        }
    }
    return true;
}

// A grey picture keeps its 256 levels as an 8-bit record with a grey palette.
bool GreyPicture(const std::vector<std::uint8_t>& levels, const TgaHeader& h, Picture& picture) {
    IMAGEDATA* image = picture.image.Get();
    const std::uint64_t stride = ImgStride(h.width, 8, 32);
    image->lpPixels = static_cast<std::uint8_t*>(std::calloc(stride * h.height, 1));
    image->lpPalette = static_cast<std::uint8_t*>(std::calloc(256, 3));
    if (image->lpPixels == nullptr || image->lpPalette == nullptr) {
        return false;
    }
    for (unsigned i = 0; i < 256; ++i) {
        image->lpPalette[i * 3] = image->lpPalette[i * 3 + 1] = image->lpPalette[i * 3 + 2] =
            static_cast<std::uint8_t>(i);
    }
    const bool topDown = (h.descriptor & 0x20) != 0, rightToLeft = (h.descriptor & 0x10) != 0;
    for (unsigned y = 0; y < h.height; ++y) {
        const std::uint8_t* in =
            levels.data() + std::uint64_t{topDown ? y : h.height - 1 - y} * h.width;
        std::uint8_t* out = image->lpPixels + y * stride;
        for (unsigned x = 0; x < h.width; ++x) {
            out[x] = in[rightToLeft ? h.width - 1 - x : x];
        }
    }
    image->header.wWidth = static_cast<std::uint16_t>(h.width);
    image->header.wHeight = static_cast<std::uint16_t>(h.height);
    image->header.bDepth = 8;
    image->header.bAlign = 32;
    image->dwPaletteEntries = 256;
    image->dwPixelBytes = static_cast<std::uint32_t>(stride * h.height);
    return true;
}

}  // namespace

bool ReadOtherTga(const std::string& file, Picture& picture,
                  std::optional<std::uint32_t> preferredTransparent) {
    picture = Picture{};
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff size = in.tellg();
    // More than the largest picture at 32 bits with every packet header can hold is no picture.
    if (size < static_cast<std::streamoff>(kHeaderSize) ||
        static_cast<std::uint64_t>(size) > (std::uint64_t{450} << 20)) {
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return false;
    }
    const std::uint8_t* p = bytes.data();
    const TgaHeader h{p[0],
                      p[1],
                      p[2],
                      GetU16LE(p + 3),
                      GetU16LE(p + 5),
                      p[7],
                      GetU16LE(p + 12),
                      GetU16LE(p + 14),
                      p[16],
                      p[17]};
    const unsigned baseType = h.imageType & ~8u;
    const bool runLength = (h.imageType & 8u) != 0;
    const bool mapped = baseType == 1, grey = baseType == 3, trueColor = baseType == 2;
    if (h.imageType > 11 || h.mapType > 1 || !(mapped || grey || trueColor) || h.width == 0 ||
        h.height == 0 || !ImgFitsLargestPicture(h.width, h.height, 24) ||
        (mapped && (h.mapType != 1 || (h.depth != 8 && h.depth != 16) || h.mapLength == 0 ||
                    (h.mapEntryBits != 15 && h.mapEntryBits != 16 && h.mapEntryBits != 24 &&
                     h.mapEntryBits != 32))) ||
        (grey && h.depth != 8) ||
        (trueColor && h.depth != 15 && h.depth != 16 && h.depth != 24 && h.depth != 32)) {
        return false;
    }
    std::size_t at = kHeaderSize + h.idLength;
    std::vector<std::uint8_t> map;  // RGBA entries
    if (h.mapType != 0) {
        const std::size_t entryBytes = (h.mapEntryBits + 7) / 8;
        if (at + entryBytes * h.mapLength > bytes.size()) {
            return false;
        }
        // A picture that is not colour-mapped may still carry a map, of any entry size; it is
        // skipped, as its entries mean nothing to the pixels.
        if (mapped) {
            map.resize(std::size_t{h.mapLength} * 4);
            for (unsigned i = 0; i < h.mapLength; ++i) {
                ToRgba(p + at + i * entryBytes, h.mapEntryBits, &map[i * 4]);
            }
        }
        at += entryBytes * h.mapLength;
    }
    const std::size_t pixelBytes = (h.depth + 7) / 8;
    std::vector<std::uint8_t> pixels;
    if (at > bytes.size() || !UnpackBody(std::span(bytes).subspan(at), runLength, pixelBytes,
                                         std::uint64_t{h.width} * h.height, pixels)) {
        return false;
    }
    bytes = {};
    if (grey) {
        if (!GreyPicture(pixels, h, picture)) {
            picture = Picture{};
            return false;
        }
        return true;
    }
    std::vector<std::uint8_t> rgba(std::uint64_t{h.width} * h.height * 4);
    const bool topDown = (h.descriptor & 0x20) != 0, rightToLeft = (h.descriptor & 0x10) != 0;
    // Alpha counts only where the descriptor says the pixels carry alpha bits.
    const bool alpha = h.depth == 32 && (h.descriptor & 0x0F) != 0;
    for (unsigned y = 0; y < h.height; ++y) {
        const unsigned row = topDown ? y : h.height - 1 - y;
        for (unsigned x = 0; x < h.width; ++x) {
            const unsigned column = rightToLeft ? h.width - 1 - x : x;
            const std::uint8_t* in =
                pixels.data() + (std::uint64_t{row} * h.width + column) * pixelBytes;
            std::uint8_t* out = &rgba[(std::uint64_t{y} * h.width + x) * 4];
            if (mapped) {
                const unsigned index = (pixelBytes == 1 ? in[0] : in[0] | (in[1] << 8));
                const unsigned entry = index >= h.mapOrigin ? index - h.mapOrigin : h.mapLength;
                if (entry < h.mapLength) {
                    std::copy(&map[entry * 4], &map[entry * 4] + 4, out);
                } else {
                    out[3] = 255;  // an index outside the map is black
                }
            } else {
                ToRgba(in, h.depth, out);
                if (!alpha) {
                    out[3] = 255;
                }
            }
        }
    }
    return PictureFromRgba(rgba, h.width, h.height, preferredTransparent, picture);
}

}  // namespace suite
