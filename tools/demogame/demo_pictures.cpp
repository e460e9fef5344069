#include "tools/demogame/demo_pictures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace demogame {
namespace {

struct Rgb {
    int red;
    int green;
    int blue;
};

// Pixel position with the picture's size, the argument of every pattern.
struct Spot {
    int x;
    int y;
    int width;
    int height;
};

int Clamp(int value) {
    return std::clamp(value, 0, 255);
}

int IntegerSqrt(int value) {
    int root = 0;
    while ((root + 1) * (root + 1) <= value) {
        ++root;
    }
    return root;
}

// Distance from the centre in half pixels, so that even and odd sizes are centred alike.
int HalfPixelDistance(const Spot& s) {
    const int dx = 2 * s.x + 1 - s.width;
    const int dy = 2 * s.y + 1 - s.height;
    return IntegerSqrt(dx * dx + dy * dy);
}

// Ramp from 0 to 255 over a length, safe for a length of 1.
int Ramp(int position, int length) {
    return position * 255 / std::max(length - 1, 1);
}

std::uint32_t Hash(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Smooth value noise, 0 to 255, over a lattice of `cell` pixels.
int ValueNoise(int x, int y, int cell, std::uint32_t seed) {
    const int ix = x / cell;
    const int iy = y / cell;
    // Smoothstep weights in 1/256 steps, so that the lattice does not show.
    auto smooth = [cell](int offset) {
        const int t = offset * 256 / cell;
        return t * t * (768 - 2 * t) / 65536;
    };
    const int sx = smooth(x % cell);
    const int sy = smooth(y % cell);
    auto at = [seed](int lx, int ly) { return static_cast<int>(Hash(lx, ly, seed) & 0xFF); };
    const int top = at(ix, iy) * (256 - sx) + at(ix + 1, iy) * sx;
    const int bottom = at(ix, iy + 1) * (256 - sx) + at(ix + 1, iy + 1) * sx;
    return (top * (256 - sy) + bottom * sy) / 65536;
}

Rgb Gradient(const Spot& s) {
    const int red = Ramp(s.x, s.width);
    const int green = Ramp(s.y, s.height);
    return {red, green, 255 - (red + green) / 2};
}

Rgb Checkerboard(const Spot& s) {
    static constexpr Rgb kColors[] = {{64, 64, 60}, {150, 150, 140}, {70, 80, 30}, {130, 150, 60}};
    const int index = ((s.x / 8 + s.y / 8) & 1) | (((s.x / 16 + s.y / 16) & 1) << 1);
    return kColors[index];
}

Rgb Stripes(const Spot& s) {
    const int shade = 255 - Ramp(s.y, s.height) / 3;
    if (((s.x + s.y) / 6) % 2 == 0) {
        return {shade, shade * 200 / 255, 0};
    }
    const int dark = 20 + s.y / 4;
    return {dark, dark, dark};
}

Rgb Rings(const Spot& s) {
    static constexpr Rgb kHues[] = {{200, 60, 40},  {220, 180, 40}, {60, 170, 80},
                                    {40, 120, 200}, {140, 60, 190}, {200, 200, 200}};
    const int d = HalfPixelDistance(s);
    const Rgb hue = kHues[(d / 6) % 6];
    const int scale = 160 + (d % 6) * 16;
    return {hue.red * scale / 256, hue.green * scale / 256, hue.blue * scale / 256};
}

Rgb Target(const Spot& s) {
    const Rgb key{0xFF, 0x00, 0xFF};
    const int d = HalfPixelDistance(s);
    const int dx = std::abs(2 * s.x + 1 - s.width);
    const int dy = std::abs(2 * s.y + 1 - s.height);
    if (d < 4) {
        return {255, 255, 0};
    }
    if ((dx <= 1 || dy <= 1) && d < 2 * std::min(s.width, s.height) - 8) {
        return {255, 40, 40};
    }
    if (d >= 10 && d <= 13) {
        return {200, 0, 0};
    }
    if (d >= 22 && d <= 25) {
        return {255, 128, 0};
    }
    return key;
}

bool InsideArrow(int x, int y) {
    const bool head = x >= 0 && x <= y && y <= 11 && x + y <= 17;
    const bool tail = y >= 10 && y <= 15 && x >= y - 7 && x <= y - 5;
    return head || tail;
}

Rgb Cursor(const Spot& s) {
    if (!InsideArrow(s.x, s.y)) {
        return {0, 0, 0};
    }
    const bool edge = !InsideArrow(s.x - 1, s.y) || !InsideArrow(s.x + 1, s.y) ||
                      !InsideArrow(s.x, s.y - 1) || !InsideArrow(s.x, s.y + 1);
    return edge ? Rgb{128, 128, 128} : Rgb{255, 255, 255};
}

Rgb AlienSkin(const Spot& s) {
    const int coarse = ValueNoise(s.x, s.y, 16, 1);
    const int fine = ValueNoise(s.x, s.y, 5, 2);
    const int v = (coarse * 2 + fine) / 3;
    const int vein = 255 - 2 * std::abs(v - 128);
    const int gloss = std::max(0, fine - 215) * 4;
    return {Clamp(10 + vein / 6 + s.y / 8 + gloss), Clamp(20 + v / 4 + vein / 5 + gloss),
            Clamp(30 + v / 3 + s.x / 8 + gloss)};
}

Rgb HeatVision(const Spot& s) {
    struct Blob {
        int x, y, radius;
    };
    const Blob blobs[] = {{s.width / 3, s.height / 2, s.height / 2},
                          {s.width * 3 / 4, s.height / 3, s.height / 3},
                          {s.width * 2 / 3, s.height * 4 / 5, s.height / 4}};
    int heat = 0;
    for (const Blob& b : blobs) {
        const int dx = s.x - b.x;
        const int dy = s.y - b.y;
        const int r2 = b.radius * b.radius;
        heat += std::max(0, r2 - dx * dx - dy * dy) * 255 / std::max(r2, 1);
    }
    heat = Clamp(heat);
    const int step = (heat % 64) * 4;
    switch (heat / 64) {
        case 0:
            return {0, 0, step};
        case 1:
            return {step, 0, 255 - step};
        case 2:
            return {255, step, 0};
        default:
            return {255, 255, step};
    }
}

Rgb TestCard(const Spot& s) {
    static constexpr Rgb kBars[] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                    {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {16, 16, 16}};
    if (s.y < s.height * 2 / 3) {
        return kBars[s.x * 8 / s.width];
    }
    const int grey = Ramp(s.x, s.width);
    return {grey, grey, grey};
}

Rgb Plates(const Spot& s) {
    constexpr int kPlate = 16;
    const int px = s.x % kPlate;
    const int py = s.y % kPlate;
    if (px == 0 || py == 0) {
        return {30, 34, 20};  // seam
    }
    const int rx = px - 3;
    const int ry = py - 3;
    if ((rx == 0 || rx == kPlate - 6) && (ry == 0 || ry == kPlate - 6)) {
        return {200, 200, 170};  // rivet
    }
    const int light = 255 - (s.x + s.y) * 128 / std::max(s.width + s.height, 1);
    return {60 + light / 3 + px, 70 + light / 3 + py, 25 + light / 6};
}

Rgb Metal(const Spot& s) {
    const int streak = ValueNoise(s.x / 8, s.y * 4, 3, 7);
    const int grey = 90 + streak / 3 + Ramp(s.y, s.height) / 4;
    return {grey, grey + 4, grey + 10};
}

Rgb ColorAt(Pattern pattern, const Spot& s) {
    switch (pattern) {
        case Pattern::Gradient:
            return Gradient(s);
        case Pattern::Checkerboard:
            return Checkerboard(s);
        case Pattern::Stripes:
            return Stripes(s);
        case Pattern::Rings:
            return Rings(s);
        case Pattern::Target:
            return Target(s);
        case Pattern::Cursor:
            return Cursor(s);
        case Pattern::AlienSkin:
            return AlienSkin(s);
        case Pattern::HeatVision:
            return HeatVision(s);
        case Pattern::TestCard:
            return TestCard(s);
        case Pattern::Plates:
            return Plates(s);
        case Pattern::Metal:
            return Metal(s);
    }
    return {0, 0, 0};
}

}  // namespace

bool DrawPicture(Pattern pattern, unsigned width, unsigned height, IMAGEDATA* image) {
    if (image == nullptr) {
        return false;
    }
    ImgFree(image);
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) {
        return false;
    }
    const std::size_t bytes = std::size_t{width} * height * 3;
    auto* pixels = static_cast<std::uint8_t*>(std::calloc(1, bytes));
    if (pixels == nullptr) {
        return false;
    }
    std::uint8_t* out = pixels;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const Spot spot{static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                            static_cast<int>(height)};
            const Rgb color = ColorAt(pattern, spot);
            // IMAGEDATA keeps true colour as blue, green, red.
            *out++ = static_cast<std::uint8_t>(Clamp(color.blue));
            *out++ = static_cast<std::uint8_t>(Clamp(color.green));
            *out++ = static_cast<std::uint8_t>(Clamp(color.red));
        }
    }
    image->header.wWidth = static_cast<std::uint16_t>(width);
    image->header.wHeight = static_cast<std::uint16_t>(height);
    image->header.bDepth = 24;
    image->header.bAlign = 8;
    image->lpPixels = pixels;
    image->dwPixelBytes = static_cast<std::uint32_t>(bytes);
    return true;
}

}  // namespace demogame
