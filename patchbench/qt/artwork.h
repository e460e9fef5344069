// The patch editor's small artwork, all drawn in code: the icon strip of the main list, the
// program icon and the bulb above the tip of the day.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "suite/qt/icon_strip.h"

namespace patchbench {

using suite::kStripIconSize;
using suite::kStripTransparent;
constexpr int kStripIconCount = 7;

// Seven 16 x 16 icons side by side on magenta: 0 a patch, 1 a folder, 2 patch information,
// 3 a target list, then the suite's item icons: 4 an image item, 5 a sound item, 6 an item of
// unknown kind.
QImage EditorIconStrip();
// One icon of the strip with its magenta made transparent; an empty icon out of range.
QIcon EditorStripIcon(int index);
// The program's icon: a parcel tied with a ribbon, at 16, 32 and 48 pixels.
QIcon EditorProgramIcon();
// The bulb beside "Did you know...".
QPixmap TipBulb();

}  // namespace patchbench
