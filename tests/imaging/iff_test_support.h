// Small pictures and files for the ILBM, ByteRun1 and RIM tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "texbench/imaging/image_data.h"

namespace ifftest {

// A decoded record: depth 24 (blue, green, red) or indexed with a full palette.
inline IMAGEDATA MakeImage(unsigned width, unsigned height, unsigned depth) {
    IMAGEDATA image{};
    image.header.wWidth = static_cast<std::uint16_t>(width);
    image.header.wHeight = static_cast<std::uint16_t>(height);
    image.header.bDepth = static_cast<std::uint8_t>(depth);
    image.header.bAlign = 8;
    const std::uint32_t bytes = ImgBytesPerPixel(depth) * width * height;
    image.lpPixels = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    image.dwPixelBytes = bytes;
    if (depth != 24) {
        image.dwPaletteEntries = ImgPaletteEntries(depth);
        image.lpPalette = static_cast<std::uint8_t*>(std::calloc(image.dwPaletteEntries, 3));
    }
    return image;
}

// Owns a record for the length of a test.
struct ImageHolder {
    IMAGEDATA image{};
    ImageHolder() = default;
    explicit ImageHolder(IMAGEDATA i) : image(i) {}
    ~ImageHolder() { ImgFree(&image); }
    ImageHolder(const ImageHolder&) = delete;
    ImageHolder& operator=(const ImageHolder&) = delete;
    IMAGEDATA* operator->() { return &image; }
    IMAGEDATA* get() { return &image; }
};

// A smooth, photo-like true-colour picture with some noise, deterministic.
inline void FillPhoto(IMAGEDATA& image, std::uint32_t seed = 1) {
    std::uint32_t state = seed;
    const unsigned w = image.header.wWidth, h = image.header.wHeight;
    for (unsigned y = 0; y < h; ++y) {
        for (unsigned x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            const unsigned noise = (state >> 24) & 7;
            std::uint8_t* p = image.lpPixels + (std::size_t{y} * w + x) * 3;
            p[0] = static_cast<std::uint8_t>((x * 255 / (w > 1 ? w - 1 : 1)) ^ noise);
            p[1] = static_cast<std::uint8_t>((y * 255 / (h > 1 ? h - 1 : 1)) + noise);
            p[2] = static_cast<std::uint8_t>(((x + y) * 3) & 0xFF);
        }
    }
}

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A fresh directory under the system's temporary directory, removed at the end.
struct TempDir {
    std::filesystem::path path;
    explicit TempDir(const std::string& name) {
        path = std::filesystem::temp_directory_path() /
               (name + "-" + std::to_string(static_cast<unsigned long>(::getpid())));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// A hand-made ILBM file: BMHD with the given fields, optional CMAP, BODY.
struct IlbmLayout {
    unsigned width = 2, height = 1, planes = 8, masking = 0, compression = 0;
    std::vector<std::uint8_t> cmap;
    bool withCmap = true;
    std::vector<std::uint8_t> body;
    std::size_t bmhdExtra = 0;  // bytes after the 20 known BMHD fields, as newer writers add
    bool withCamg = false;      // a CAMG chunk with these display-mode flags, before the CMAP
    std::uint32_t camg = 0;
};

inline void PutBE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}
inline void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}
inline void PutChunk(std::vector<std::uint8_t>& out, const char* tag,
                     const std::vector<std::uint8_t>& payload) {
    PutTag(out, tag);
    PutBE32(out, static_cast<std::uint32_t>(payload.size()));
    for (std::uint8_t b : payload) {
        out.push_back(b);
    }
    if (payload.size() & 1) {
        out.push_back(0);
    }
}

inline std::vector<std::uint8_t> MakeIlbm(const IlbmLayout& layout) {
    std::vector<std::uint8_t> bmhd = {static_cast<std::uint8_t>(layout.width >> 8),
                                      static_cast<std::uint8_t>(layout.width),
                                      static_cast<std::uint8_t>(layout.height >> 8),
                                      static_cast<std::uint8_t>(layout.height),
                                      0,
                                      0,
                                      0,
                                      0,
                                      static_cast<std::uint8_t>(layout.planes),
                                      static_cast<std::uint8_t>(layout.masking),
                                      static_cast<std::uint8_t>(layout.compression),
                                      0,
                                      0,
                                      0,
                                      1,
                                      1,
                                      static_cast<std::uint8_t>(layout.width >> 8),
                                      static_cast<std::uint8_t>(layout.width),
                                      static_cast<std::uint8_t>(layout.height >> 8),
                                      static_cast<std::uint8_t>(layout.height)};
    bmhd.insert(bmhd.end(), layout.bmhdExtra, 0xEE);
    std::vector<std::uint8_t> inner;
    PutTag(inner, "ILBM");
    PutChunk(inner, "BMHD", bmhd);
    if (layout.withCamg) {
        std::vector<std::uint8_t> camg;
        PutBE32(camg, layout.camg);
        PutChunk(inner, "CAMG", camg);
    }
    if (layout.withCmap) {
        PutChunk(inner, "CMAP", layout.cmap);
    }
    PutChunk(inner, "BODY", layout.body);
    std::vector<std::uint8_t> file;
    PutTag(file, "FORM");
    PutBE32(file, static_cast<std::uint32_t>(inner.size()));
    file.insert(file.end(), inner.begin(), inner.end());
    return file;
}

}  // namespace ifftest
