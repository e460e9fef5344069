#include "texbench/imaging/planar.h"

#include <algorithm>
#include <cstdint>

namespace {

bool Consistent(const PlanarLayout& l) {
    return l.width != 0 && l.height != 0 && l.planes != 0 && l.planes <= 24 &&
           l.pixelBytes * 8 >= l.planes && l.pixelBytes <= 3 &&
           std::uint64_t{l.rowBytes} * 8 >= l.width &&
           // Picture records count their bytes in 32 bits; larger pictures are refused.
           l.ChunkyBytes() <= UINT32_MAX && l.BodyBytes() <= UINT32_MAX;
}

unsigned ByteOfPlane(const PlanarLayout& l, unsigned plane) {
    return l.highByteFirst ? l.pixelBytes - 1 - plane / 8 : plane / 8;
}

// Transposes an 8 x 8 bit matrix held in 64 bits, row 0 in the top byte and column 0 in each
// byte's top bit. Eight chunky bytes become eight plane bytes and back in a few operations.
std::uint64_t Transpose8x8(std::uint64_t x) {
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x ^= t ^ (t << 28);
    return x;
}

}  // namespace

bool PlanarToChunky(std::span<const std::uint8_t> body, const PlanarLayout& l,
                    std::vector<std::uint8_t>& pixels) {
    if (!Consistent(l) || body.size() < l.BodyBytes()) {
        return false;
    }
    pixels.assign(l.ChunkyBytes(), 0);
    const std::size_t pixelRow = std::size_t{l.width} * l.pixelBytes;
    const std::size_t bodyRow = std::size_t{l.rowBytes} * l.planes;
    for (unsigned y = 0; y < l.height; ++y) {
        const std::uint8_t* in = body.data() + y * bodyRow;
        std::uint8_t* row = pixels.data() + y * pixelRow;
        for (unsigned first = 0; first < l.planes; first += 8) {
            const unsigned count = std::min(8u, l.planes - first);
            const unsigned byte = ByteOfPlane(l, first);
            for (unsigned xb = 0; xb * 8 < l.width; ++xb) {
                std::uint64_t x = 0;
                for (unsigned k = 0; k < count; ++k) {
                    x |= std::uint64_t{in[(first + k) * l.rowBytes + xb]} << (8 * k);
                }
                x = Transpose8x8(x);
                const unsigned pixelsHere = std::min(8u, l.width - xb * 8);
                std::uint8_t* out = row + std::size_t{xb} * 8 * l.pixelBytes + byte;
                for (unsigned p = 0; p < pixelsHere; ++p) {
                    out[p * l.pixelBytes] = static_cast<std::uint8_t>(x >> (56 - 8 * p));
                }
            }
        }
    }
    return true;
}

bool ChunkyToPlanar(std::span<const std::uint8_t> pixels, const PlanarLayout& l,
                    std::vector<std::uint8_t>& body) {
    if (!Consistent(l) || pixels.size() < l.ChunkyBytes()) {
        return false;
    }
    body.assign(l.BodyBytes(), 0);
    const std::size_t pixelRow = std::size_t{l.width} * l.pixelBytes;
    const std::size_t bodyRow = std::size_t{l.rowBytes} * l.planes;
    for (unsigned y = 0; y < l.height; ++y) {
        const std::uint8_t* row = pixels.data() + y * pixelRow;
        std::uint8_t* out = body.data() + y * bodyRow;
        for (unsigned first = 0; first < l.planes; first += 8) {
            const unsigned count = std::min(8u, l.planes - first);
            const unsigned byte = ByteOfPlane(l, first);
            for (unsigned xb = 0; xb * 8 < l.width; ++xb) {
                const unsigned pixelsHere = std::min(8u, l.width - xb * 8);
                const std::uint8_t* in = row + std::size_t{xb} * 8 * l.pixelBytes + byte;
                std::uint64_t x = 0;
                for (unsigned p = 0; p < pixelsHere; ++p) {
                    x |= std::uint64_t{in[p * l.pixelBytes]} << (56 - 8 * p);
                }
                x = Transpose8x8(x);
                for (unsigned k = 0; k < count; ++k) {
                    out[(first + k) * l.rowBytes + xb] = static_cast<std::uint8_t>(x >> (8 * k));
                }
            }
        }
    }
    return true;
}
