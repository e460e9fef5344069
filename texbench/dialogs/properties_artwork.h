// The image properties dialog's own pictures, drawn in code: the picker's button icon (179),
// the palette's button icon (180) and the picker's cursor (167).
#pragma once

#include <QCursor>
#include <QIcon>

namespace texbench {

QIcon PickerIcon();
QIcon PaletteIcon();
// A cross-hair with a dropper; its hot spot is the centre of the cross.
QCursor PickerCursor();

}  // namespace texbench
