// TexBench's program icon, drawn in code.
#pragma once

#include <QIcon>

namespace texbench {

// A quill over a texture tile, at 16, 32 and 48 pixels.
QIcon ProgramIcon();

}  // namespace texbench
