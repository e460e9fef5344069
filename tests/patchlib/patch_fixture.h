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

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::uint32_t SizeAt(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | bytes[offset + 1] << 8 |
           bytes[offset + 2] << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// A fresh directory, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "patchlib-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace patch_test
