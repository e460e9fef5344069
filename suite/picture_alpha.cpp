#include "suite/picture_alpha.h"

#include <cstdlib>
#include <vector>

namespace suite {
namespace {

constexpr std::uint32_t kMagenta = 0x00FF00FF;

std::uint32_t Word(const std::uint8_t* p) {
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
}

std::uint32_t FreeColor(std::span<const std::uint8_t> rgba,
                        std::optional<std::uint32_t> preferred) {
    std::vector<bool> used(std::size_t{1} << 24);
    for (std::size_t i = 0; i + 4 <= rgba.size(); i += 4) {
        if (rgba[i + 3] != 0) {
            used[Word(&rgba[i])] = true;
        }
    }
    if (preferred && !used[*preferred & 0xFFFFFF]) {
        return *preferred & 0xFFFFFF;
    }
    if (!used[kMagenta]) {
        return kMagenta;
    }
    std::uint32_t free = 0;
    while (free + 1 < used.size() && used[free]) {
        ++free;
    }
    return free;
}

}  // namespace

bool PictureFromRgba(std::span<const std::uint8_t> rgba, unsigned width, unsigned height,
                     std::optional<std::uint32_t> preferred, Picture& picture) {
    picture = Picture{};
    if (width == 0 || height == 0 || !ImgFitsLargestPicture(width, height, 24) ||
        rgba.size() < std::uint64_t{width} * height * 4) {
        return false;
    }
    bool anyOpaque = false, anyTransparent = false;
    for (std::size_t i = 3; i < rgba.size() && !(anyOpaque && anyTransparent); i += 4) {
        (rgba[i] == 0 ? anyTransparent : anyOpaque) = true;
    }
    const bool transparency = anyOpaque && anyTransparent;
    const std::uint32_t painted = transparency ? FreeColor(rgba, preferred) : 0;
    IMAGEDATA* image = picture.image.Get();
    const std::uint64_t stride = ImgStride(width, 24, 32);
    image->lpPixels = static_cast<std::uint8_t*>(std::calloc(stride * height, 1));
    if (image->lpPixels == nullptr) {
        return false;
    }
    for (unsigned y = 0; y < height; ++y) {
        const std::uint8_t* in = rgba.data() + std::uint64_t{y} * width * 4;
        std::uint8_t* out = image->lpPixels + y * stride;
        for (unsigned x = 0; x < width; ++x, in += 4, out += 3) {
            const std::uint32_t color = transparency && in[3] == 0 ? painted : Word(in);
            out[0] = static_cast<std::uint8_t>(color >> 16);  // blue, green, red
            out[1] = static_cast<std::uint8_t>(color >> 8);
            out[2] = static_cast<std::uint8_t>(color);
        }
    }
    image->header.wWidth = static_cast<std::uint16_t>(width);
    image->header.wHeight = static_cast<std::uint16_t>(height);
    image->header.bDepth = 24;
    image->header.bAlign = 32;
    image->dwPixelBytes = static_cast<std::uint32_t>(stride * height);
    if (transparency) {
        picture.transparentColor = painted;
    }
    return true;
}

}  // namespace suite
