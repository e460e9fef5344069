// The icon strip of TexBench's tree and list, drawn in code.
#pragma once

#include <QIcon>
#include <QImage>

#include "texbench/widgets/strip_indices.h"

namespace texbench {

constexpr int kStripIconSize = 16;
constexpr int kStripIconCount = 7;
// Pixels of this colour in the strip are transparent.
constexpr QRgb kStripTransparent = 0xffff00ff;

// Seven 16 x 16 icons side by side on magenta: 0 the "graphics" root, 1 the "sound" root,
// 2 a closed folder, 3 an open folder, 4 an image item, 5 a sound item, 6 any other item.
QImage IconStripImage();

// One icon of the strip with its magenta made transparent; an empty icon out of range.
QIcon StripIcon(int index);

}  // namespace texbench
