// Targa pictures the suite's TGA class refuses, as paint programs write them: 32-bit pixels
// with alpha, grey pictures, and colour maps of 15-, 16- or 32-bit entries, raw or run-length
// encoded. Alpha goes the way of suite/picture_alpha.h; grey pictures become 8-bit records with
// a grey palette.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "suite/texture_pipeline.h"

namespace suite {

// Replaces the picture by the file's. False for anything else, beyond the largest picture, or
// when the body is cut short.
bool ReadOtherTga(const std::string& file, Picture& picture,
                  std::optional<std::uint32_t> preferredTransparent);

}  // namespace suite
