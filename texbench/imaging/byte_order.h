// Little-endian fields and whole-stream helpers of the picture formats.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "platform/byte_order.h"

using qm::GetU16LE;
using qm::GetU32LE;
using qm::PutU16LE;
using qm::PutU32LE;

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
