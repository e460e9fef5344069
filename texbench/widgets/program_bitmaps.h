// TexBench's own pictures for the custom-drawn parts, drawn in code: the about box's
// background (bitmap 149), the full and empty progress bar (152, 153) and the pointing cursor
// over skinned buttons and links (cursor 137).
#pragma once

#include <QCursor>
#include <QImage>

namespace texbench {

inline constexpr int kAboutBackground = 149;
inline constexpr int kProgressFull = 152;
inline constexpr int kProgressEmpty = 153;
inline constexpr int kProgressBitmapWidth = 300;
inline constexpr int kProgressBitmapHeight = 20;

// A null image for any other id.
QImage ProgramBitmap(int id);

// Cursor 137: a pointing hand, hot spot at the finger tip.
QCursor PointingCursor();

}  // namespace texbench
