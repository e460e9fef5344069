// Shows the wait cursor while it lives, around every read or write of the game's files.
#pragma once

#include <QApplication>
#include <QCursor>

namespace texbench {

class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace texbench
