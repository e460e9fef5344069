// Builds patch files byte by byte for the reader tests, and temporary directories.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace patch_test {

using Bytes = std::vector<unsigned char>;

inline void PutTag(Bytes& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

inline void PutSize(Bytes& out, std::uint32_t size) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<unsigned char>(size >> shift));
    }
}

// One chunk: tag, size, content and a pad byte when the content is odd.
inline Bytes Chunk(const char* tag, const std::string& content) {
    Bytes out;
    PutTag(out, tag);
    PutSize(out, static_cast<std::uint32_t>(content.size()));
    out.insert(out.end(), content.begin(), content.end());
    if (content.size() & 1) {
        out.push_back(0);
    }
    return out;
}

// A text chunk holds the text with its terminator.
inline Bytes Text(const char* tag, const std::string& text) {
    return Chunk(tag, text + std::string(1, '\0'));
}

// A container of the given type holding the concatenated chunks.
inline Bytes Container(const char* tag, const std::vector<Bytes>& chunks,
                       const char* type = "KDZ1") {
    Bytes content;
    PutTag(content, type);
    for (const Bytes& chunk : chunks) {
        content.insert(content.end(), chunk.begin(), chunk.end());
    }
    Bytes out;
    PutTag(out, tag);
    PutSize(out, static_cast<std::uint32_t>(content.size()));
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

// The whole file: "QMRK" around a "LIST" holding the chunks.
inline Bytes PatchFile(const std::vector<Bytes>& chunks) {
    return Container("QMRK", {Container("LIST", chunks)});
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

using qm_test::ReadFile;
using qm_test::TempDir;
using qm_test::WriteFile;

inline std::uint32_t SizeAt(const Bytes& bytes, std::size_t offset) {
    return qm::GetU32LE(bytes.data() + offset);
}

}  // namespace patch_test
