// The icon strip of TexBench's tree and list, drawn in code.
#pragma once

#include <QIcon>
#include <QImage>

#include "suite/qt/icon_strip.h"
#include "texbench/widgets/strip_indices.h"

namespace texbench {

using suite::kStripIconSize;
using suite::kStripTransparent;
constexpr int kStripIconCount = 7;

// Seven 16 x 16 icons side by side on magenta: 0 the "graphics" root, 1 the "sound" root,
// 2 a closed folder, 3 an open folder, then the suite's item icons: 4 an image item, 5 a sound
// item, 6 any other item.
QImage IconStripImage();

// One icon of the strip with its magenta made transparent; an empty icon out of range.
QIcon StripIcon(int index);

}  // namespace texbench
