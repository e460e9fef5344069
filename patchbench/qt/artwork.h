// The patch editor's small artwork, all drawn in code: the icon strip of the main list, the
// program icon and the bulb above the tip of the day.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace patchbench {

constexpr int kStripIconSize = 16;
constexpr int kStripIconCount = 7;
// Pixels of this colour in the strip are transparent.
constexpr QRgb kStripTransparent = 0xffff00ff;

// Seven 16 x 16 icons side by side on magenta: 0 a patch, 1 a folder, 2 patch information,
// 3 a target list, 4 an image item, 5 a sound item, 6 an item of unknown kind.
QImage EditorIconStrip();
// One icon of the strip with its magenta made transparent; an empty icon out of range.
QIcon EditorStripIcon(int index);
// The program's icon: a parcel tied with a ribbon, at 16, 32 and 48 pixels.
QIcon EditorProgramIcon();
// The bulb beside "Did you know...".
QPixmap TipBulb();

}  // namespace patchbench
