// TexBench's small artwork, all drawn in code: the icon strip of tree and list, the program
// icon and the zoom cursor of the preview.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

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

// The program's icon, a quill over a texture tile, at 16, 32 and 48 pixels.
QIcon ProgramIcon();

// The pointer over a shown preview picture: a magnifying glass, hot spot in the lens.
QCursor ZoomCursor();

}  // namespace texbench
