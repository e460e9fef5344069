// Helpers of the imaging tests: comparing pictures whatever their stored form.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "texbench/imaging/image_data.h"

namespace imaging_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The picture as top-down RGB triples, as "convert ... rgb:" writes it.
inline Bytes TopDownRgb(const IMAGEDATA& image) {
    Bytes rgb;
    const unsigned depth = image.header.bDepth;
    const auto stride = ImgStride(image.header.wWidth, depth, image.header.bAlign);
    for (unsigned y = 0; y < image.header.wHeight; ++y) {
        const unsigned row =
            (image.header.bOrientation & kOrientationBottomUp) ? image.header.wHeight - 1 - y : y;
        for (unsigned x = 0; x < image.header.wWidth; ++x) {
            const std::uint8_t* p = image.lpPixels + row * stride + x * ImgBytesPerPixel(depth);
            const unsigned index = depth == 16 ? (p[0] | (p[1] << 8)) : p[0];
            const std::uint8_t* c = depth == 24 ? p : image.lpPalette + index * 3;
            rgb.insert(rgb.end(), {c[2], c[1], c[0]});
        }
    }
    return rgb;
}

}  // namespace imaging_test
