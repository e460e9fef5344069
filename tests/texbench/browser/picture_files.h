// Pictures written on the spot by our own picture classes, for the import tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "texbench/imaging/image_base.h"

namespace import_test {

// A 24-bit picture of width x height whose colours follow `seed`, written by the given class.
inline bool WritePicture(CImageBase& writer, const std::string& path, unsigned width,
                         unsigned height, unsigned seed) {
    IMAGEDATA image{};
    image.header.wWidth = static_cast<std::uint16_t>(width);
    image.header.wHeight = static_cast<std::uint16_t>(height);
    image.header.bDepth = 24;
    image.header.bAlign = 32;
    const auto stride = static_cast<std::uint32_t>(ImgStride(width, 24, 32));
    image.dwPixelBytes = stride * height;
    image.lpPixels = static_cast<std::uint8_t*>(std::calloc(image.dwPixelBytes, 1));
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            std::uint8_t* pixel = image.lpPixels + y * stride + x * 3;
            pixel[0] = static_cast<std::uint8_t>(x * 8 + seed);
            pixel[1] = static_cast<std::uint8_t>(y * 8 + seed * 3);
            pixel[2] = static_cast<std::uint8_t>((x ^ y) * 16 + seed * 7);
        }
    }
    const bool ok = writer.ImportFrom(&image) && writer.SaveFile(path);
    ImgFree(&image);
    return ok;
}

}  // namespace import_test
