#pragma once

// Procedural pictures for the demo game's textures. Everything is computed with integer
// arithmetic from the pixel position and a fixed seed, so a picture is the same on every run
// and every machine.

#include <cstdint>

#include "texbench/imaging/image_data.h"

namespace demogame {

enum class Pattern {
    Gradient,      // two-way colour ramp, one colour per pixel
    Checkerboard,  // four flat colours in 8 x 8 cells
    Stripes,       // diagonal hazard stripes, shaded from top to bottom
    Rings,         // concentric rings in smooth colours
    Target,        // red rings and a cross on a magenta key colour (at most 16 colours)
    Cursor,        // a white arrow with a grey edge on a black key colour
    AlienSkin,     // dark, glossy value noise
    HeatVision,    // warm blobs through a heat palette
    TestCard,      // colour bars over a grey ramp
    Plates,        // olive armour plates with seams and rivets, lit from the top left
    Metal,         // brushed metal streaks
};

// The key colours of the two patterns that are meant to be shown with a transparent colour,
// as 0x00BBGGRR.
inline constexpr std::uint32_t kTargetKeyColor = 0x00FF00FF;
inline constexpr std::uint32_t kCursorKeyColor = 0x00000000;

// An IMAGEDATA that frees its blocks when it goes out of scope.
class Picture {
  public:
    Picture() = default;
    ~Picture() { ImgFree(&data_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    IMAGEDATA* get() { return &data_; }

  private:
    IMAGEDATA data_{};
};

// Draws the pattern as a 24-bit, top-down picture into `image` (emptied first). False for a
// zero size or when memory runs out.
bool DrawPicture(Pattern pattern, unsigned width, unsigned height, IMAGEDATA* image);

}  // namespace demogame
