// ByteRun1 (PackBits) run-length coding as used by ILBM bodies and RIM texture slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Expands `in` into `out` (which the caller zero-fills). Stops when the input is consumed or
// the output is full; a run that would pass the end of the output is cut there, and a run
// whose bytes are missing from the input takes only what is there. Returns the bytes written.
std::size_t ByteRun1Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

// Compresses `in`. With rowLength > 0 no run crosses a multiple of rowLength (RIM slots
// decode plane-row by plane-row, so a run may not spill into the next one). Literal runs are
// 1 to 127 bytes, repeat runs 2 to 128; the last byte of a row always stands alone.
std::vector<std::uint8_t> ByteRun1Encode(std::span<const std::uint8_t> in, std::size_t rowLength);
