// Fixed-width fields of the suite's file formats, read and written a byte at a time so that
// neither the machine's byte order nor the field's alignment matters. Fastfile, patch, BMP,
// DIB, TGA and WAV fields are little-endian; IFF and RIM fields big-endian.
#pragma once

#include <cstdint>

namespace qm {

constexpr std::uint16_t GetU16LE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
constexpr std::uint32_t GetU32LE(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
constexpr void PutU16LE(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void PutU32LE(std::uint8_t* p, std::uint32_t v) {
    PutU16LE(p, v);
    PutU16LE(p + 2, v >> 16);
}

constexpr std::uint16_t GetU16BE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
constexpr std::uint32_t GetU32BE(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
constexpr void PutU16BE(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
constexpr void PutU32BE(std::uint8_t* p, std::uint32_t v) {
    PutU16BE(p, v >> 16);
    PutU16BE(p + 2, v);
}

}  // namespace qm
