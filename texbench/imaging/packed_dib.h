// The packed device-independent bitmap: the clipboard's bitmap form (CF_DIB) and what
// drag-and-drop carries. A 40-byte information header, the colour table, then the rows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "texbench/imaging/image_data.h"

// The packed DIB of an image: 4, 8 or 24 bits, rows bottom-up and padded to 4 bytes. Empty
// when the record is not valid.
std::vector<std::uint8_t> ImgToPackedDib(const IMAGEDATA* image);

// Replaces the record by the picture in a packed DIB; false (and an empty record) when the
// bytes are not an uncompressed 4, 8 or 24-bit DIB that fits in them.
bool ImgFromPackedDib(std::span<const std::uint8_t> dib, IMAGEDATA* image);
