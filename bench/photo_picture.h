// The picture the imaging benchmarks share: 1024 x 1024 smooth gradients with a little noise,
// so that it has many distinct colours like a photograph. Blue, green, red, rows top-down.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

inline constexpr unsigned kPhotoSide = 1024;

inline const std::vector<std::uint8_t>& PhotoPicture() {
    static const std::vector<std::uint8_t> pixels = [] {
        std::vector<std::uint8_t> bgr(kPhotoSide * kPhotoSide * 3);
        std::mt19937 random(1);
        auto clamp = [](double v) {
            return static_cast<std::uint8_t>(std::fmin(255, std::fmax(0, v)));
        };
        for (unsigned y = 0; y < kPhotoSide; ++y) {
            for (unsigned x = 0; x < kPhotoSide; ++x) {
                const double fx = x / double(kPhotoSide), fy = y / double(kPhotoSide);
                const int noise = static_cast<int>(random() % 9) - 4;
                std::uint8_t* p = &bgr[(y * kPhotoSide + x) * 3];
                p[2] = clamp(255 * fx + noise);
                p[1] = clamp(128 + 120 * std::sin(6.0 * fy + 3.0 * fx) + noise);
                p[0] = clamp(255 * (1 - fy) * (0.5 + 0.5 * std::cos(4.0 * fx)) + noise);
            }
        }
        return bgr;
    }();
    return pixels;
}
