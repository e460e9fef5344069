// Small helpers of the PackLib tests: a temporary directory and hand-made Fastfile bytes.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace packlib_test {

using Bytes = std::vector<unsigned char>;

// A fresh directory under /tmp, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "packlib-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

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
