#include "texbench/imaging/planar.h"

namespace {

bool Consistent(const PlanarLayout& l) {
    return l.width != 0 && l.height != 0 && l.planes != 0 && l.planes <= 24 &&
           l.pixelBytes * 8 >= l.planes && l.pixelBytes <= 3 &&
           std::uint64_t{l.rowBytes} * 8 >= l.width;
}

unsigned ByteOfPlane(const PlanarLayout& l, unsigned plane) {
    return l.highByteFirst ? l.pixelBytes - 1 - plane / 8 : plane / 8;
}

}  // namespace

bool PlanarToChunky(std::span<const std::uint8_t> body, const PlanarLayout& l,
                    std::vector<std::uint8_t>& pixels) {
    if (!Consistent(l) || body.size() < l.BodyBytes()) {
        return false;
    }
    pixels.assign(l.ChunkyBytes(), 0);
    const std::uint8_t* in = body.data();
    for (unsigned y = 0; y < l.height; ++y) {
        std::uint8_t* row = pixels.data() + std::uint64_t{y} * l.width * l.pixelBytes;
        for (unsigned k = 0; k < l.planes; ++k, in += l.rowBytes) {
            const unsigned byte = ByteOfPlane(l, k);
            const auto bit = static_cast<std::uint8_t>(1u << (k % 8));
            for (unsigned x = 0; x < l.width; ++x) {
                if (in[x >> 3] & (0x80u >> (x & 7))) {
                    row[x * l.pixelBytes + byte] |= bit;
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
    std::uint8_t* out = body.data();
    for (unsigned y = 0; y < l.height; ++y) {
        const std::uint8_t* row = pixels.data() + std::uint64_t{y} * l.width * l.pixelBytes;
        for (unsigned k = 0; k < l.planes; ++k, out += l.rowBytes) {
            const unsigned byte = ByteOfPlane(l, k);
            const unsigned shift = k % 8;
            for (unsigned x = 0; x < l.width; ++x) {
                if ((row[x * l.pixelBytes + byte] >> shift) & 1u) {
                    out[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
                }
            }
        }
    }
    return true;
}
