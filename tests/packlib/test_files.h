// Hand-made Fastfile bytes for the PackLib tests, beside the shared temporary directory and
// file helpers.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace packlib_test {

using qm_test::Bytes;

using qm_test::ReadFile;
using qm_test::TempDir;
using qm_test::WriteFile;

inline void PutU32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

inline void PutText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// An "RFFL" header with the given fields.
inline Bytes Header(std::uint32_t count, std::uint32_t directorySize, std::uint32_t dataSize,
                    std::uint32_t version = 0) {
    Bytes out;
    PutText(out, "RFFL");
    PutU32(out, version);
    PutU32(out, count);
    PutU32(out, directorySize);
    PutU32(out, dataSize);
    return out;
}

// One directory entry: offset, length, path padded to a multiple of 4.
inline Bytes Entry(std::uint32_t offset, std::uint32_t length, const std::string& path) {
    Bytes out;
    PutU32(out, offset);
    PutU32(out, length);
    PutText(out, path);
    const std::size_t padded = (path.size() + 1 + 3) / 4 * 4;
    out.insert(out.end(), padded - path.size(), 0);
    return out;
}

// One record of a sound archive: tag, path, a RIFF chunk with `body` after its length.
inline Bytes SoundRecord(std::uint16_t tag, const std::string& path, const std::string& body) {
    Bytes out = {static_cast<unsigned char>(tag), static_cast<unsigned char>(tag >> 8)};
    PutText(out, path);
    out.push_back(0);
    PutText(out, "RIFF");
    PutU32(out, static_cast<std::uint32_t>(body.size()));
    PutText(out, body);
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

}  // namespace packlib_test
