#pragma once

#include <QIcon>
#include <QPixmap>

// Setup's own pictures, drawn in code so that the installer carries no image files: the
// picture on the left of every page (104), the step marks of the "Installing..." page (115
// for the step that runs, 105 for one done), the component list's ticked and cleared marks
// (111, 112) and the frame's icon (101).
namespace qm::setup::art {

QPixmap PageBitmap();        // 104
QPixmap StepDoneIcon();      // 105
QPixmap ComponentOnIcon();   // 111
QPixmap ComponentOffIcon();  // 112
QPixmap StepRunningIcon();   // 115
QIcon FrameIcon();           // 101

}  // namespace qm::setup::art
