// The small-icon strips of the suite's lists: 16 x 16 icons side by side on magenta, drawn in
// code from pixel art. The icons of an item's kind live here, so that a texture, a sound and
// any other item look the same in TexBench's list and in PatchBench's.
#pragma once

#include <QIcon>
#include <QImage>
#include <span>

#include "suite/item_kind.h"

namespace suite {

inline constexpr int kStripIconSize = 16;
// Pixels of this colour in a strip are transparent.
inline constexpr QRgb kStripTransparent = 0xffff00ff;

// Pixel art: one text of 16 letters per pixel row, 16 rows. Each letter is a colour of the
// suite's small palette; "." (and any letter outside the palette) is the strip's magenta.
using PixelArt = std::span<const char* const, kStripIconSize>;

// Paints the art into the strip with its left edge at icon `index`.
void DrawStripIcon(QImage& strip, int index, PixelArt art);
// The art of an item of this kind: a page holding a texture, two notes, or nothing.
PixelArt ItemKindArt(ItemKind kind);

// One icon of the strip with its magenta made transparent; an empty icon out of range.
QIcon IconOfStrip(const QImage& strip, int index);

}  // namespace suite
