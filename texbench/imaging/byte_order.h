// Little- and big-endian fields of the picture formats.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

inline std::uint16_t GetU16LE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32LE(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
inline void PutU16LE(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32LE(std::uint8_t* p, std::uint32_t v) {
    PutU16LE(p, v);
    PutU16LE(p + 2, v >> 16);
}

// Bytes from the current position to the end of the stream, or -1 when it cannot be told.
inline long long RemainingBytes(std::FILE* stream) {
    const long here = std::ftell(stream);
    if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) {
        return -1;
    }
    const long end = std::ftell(stream);
    if (std::fseek(stream, here, SEEK_SET) != 0 || end < here) {
        return -1;
    }
    return end - here;
}

// Writes a whole block; an empty block writes nothing (and needs no buffer).
inline bool WriteAll(std::FILE* stream, std::span<const std::uint8_t> bytes) {
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}
