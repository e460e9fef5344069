// Pictures with an alpha channel on their way into a texture, which knows no alpha but one
// transparent colour: fully transparent pixels are painted in a colour no opaque pixel has,
// and that colour becomes the texture's transparent colour.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "suite/texture_pipeline.h"

namespace suite {

// Replaces the picture by a 24-bit record (rows top-down, aligned to 32 bits) of `rgba`: rows
// top-down of red, green, blue, alpha bytes. Pixels of alpha 0 are painted in `preferred`
// (0x00BBGGRR) when no opaque pixel has it, else in magenta, else in the first free colour;
// partly transparent pixels keep their colour. A picture whose every pixel has alpha 0 has no
// real alpha (many writers leave it 0) and stays opaque. False when the size is beyond the
// largest picture or memory runs out.
bool PictureFromRgba(std::span<const std::uint8_t> rgba, unsigned width, unsigned height,
                     std::optional<std::uint32_t> preferred, Picture& picture);

}  // namespace suite
