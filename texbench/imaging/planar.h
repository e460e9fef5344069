// Conversion between interleaved bit planes (one plane-row per plane for each row) and
// chunky pixels of 1, 2 or 3 bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct PlanarLayout {
    unsigned width = 0;
    unsigned height = 0;
    unsigned planes = 0;      // 1 to 24
    unsigned rowBytes = 0;    // bytes of one plane-row
    unsigned pixelBytes = 0;  // bytes of one chunky pixel, at least ceil(planes / 8)
    // Plane k is bit k % 8 of byte k / 8 counted from the pixel's last byte (true: 16-bit
    // indices stored high byte first) or from its first byte (false: red, green, blue).
    bool highByteFirst = false;

    std::uint64_t BodyBytes() const { return std::uint64_t{rowBytes} * planes * height; }
    std::uint64_t ChunkyBytes() const { return std::uint64_t{pixelBytes} * width * height; }
};

// False when the body is shorter than the layout needs or the layout is inconsistent.
bool PlanarToChunky(std::span<const std::uint8_t> body, const PlanarLayout& layout,
                    std::vector<std::uint8_t>& pixels);
// False when the pixels are fewer than the layout needs or the layout is inconsistent.
bool ChunkyToPlanar(std::span<const std::uint8_t> pixels, const PlanarLayout& layout,
                    std::vector<std::uint8_t>& body);
