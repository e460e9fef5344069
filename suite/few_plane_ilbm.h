// IFF ILBM pictures of 1 to 8 bit planes, which paint programs write for pictures of few
// colours (2 colours: 1 plane, 32 colours: 5 planes). The suite's IFF class takes only 4, 8,
// 16 and 24 planes, the depths a texture slot has; these smaller ones are read here into the
// 4-bit (up to 4 planes) or 8-bit record, so they import all the same.
#pragma once

#include <string>

#include "texbench/imaging/image_data.h"

namespace suite {

// Replaces the record by the picture. False (the record emptied) for anything but an ILBM of
// 1 to 8 planes with a colour map, within the largest picture; hold-and-modify and
// extra-half-bright pictures and pictures with a mask plane are refused.
bool ReadFewPlaneIlbm(const std::string& file, IMAGEDATA* image);

}  // namespace suite
