// The shared body of the picture-file targets: read the file from memory, export it to the
// neutral record, then write it back and read the written file again.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "tests/fuzz/fuzz_support.h"
#include "texbench/imaging/image_data.h"

namespace qmfuzz {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// An IMAGEDATA released with ImgFree whatever way the run leaves.
struct ImageRecord {
    IMAGEDATA data{};
    ImageRecord() = default;
    ImageRecord(const ImageRecord&) = delete;
    ImageRecord& operator=(const ImageRecord&) = delete;
    ~ImageRecord() { ImgFree(&data); }
};

// A record the exporter reported as good must be one the rest of the suite can walk.
inline void RequireValid(const IMAGEDATA& image) {
    if (!ImgValidate(&image)) {
        QMFUZZ_FAIL();
    }
    Checksum(image.lpPixels, image.dwPixelBytes);
    Checksum(image.lpPalette, static_cast<std::size_t>(image.dwPaletteEntries) * 3);
}

inline constexpr std::uint64_t kMaxDecodedBytes = 64u << 20;

template <typename Image>
bool ReadFrom(Image& image, const void* bytes, std::size_t size) {
    if (size == 0) {
        return false;  // fmemopen refuses an empty buffer
    }
    FilePtr stream(fmemopen(const_cast<void*>(bytes), size, "rb"));
    return stream && image.Serialize(stream.get(), false) && !image.IsEmpty();
}

template <typename Image>
int FuzzPictureFile(const std::uint8_t* data, std::size_t size) {
    Image image;
    if (!ReadFrom(image, data, size)) {
        return 0;
    }
    // Run-length bodies may legitimately stand for pictures of gigabytes; decoding those only
    // measures the machine. Huge claims are checked apart, under a memory limit.
    if (std::uint64_t{image.GetWidth()} * image.GetHeight() * 4 > kMaxDecodedBytes) {
        return 0;
    }
    ImageRecord exported;
    if (!image.ExportTo(&exported.data)) {
        return 0;
    }
    RequireValid(exported.data);

    // Whatever was read and exported must be writable, and the written file readable again
    // with the same size.
    Image copy;
    if (!copy.ImportFrom(&exported.data) || !copy.Encode()) {
        return 0;
    }
    char* written = nullptr;
    std::size_t writtenSize = 0;
    {
        FilePtr out(open_memstream(&written, &writtenSize));
        if (!out) {
            QMFUZZ_FAIL();
        }
        if (!copy.Serialize(out.get(), true)) {
            QMFUZZ_FAIL();  // an encoded picture the writer refuses
        }
    }
    std::unique_ptr<char, decltype(&std::free)> owner(written, &std::free);
    Image reread;
    if (!ReadFrom(reread, written, writtenSize)) {
        QMFUZZ_FAIL();
    }
    if (reread.GetWidth() != exported.data.header.wWidth ||
        reread.GetHeight() != exported.data.header.wHeight) {
        QMFUZZ_FAIL();
    }
    return 0;
}

}  // namespace qmfuzz
