// The pointer over a shown preview picture, drawn in code.
#pragma once

#include <QCursor>

namespace suite {

// A magnifying glass, hot spot in the lens.
QCursor ZoomCursor();

}  // namespace suite
