// The suite's questions and messages as Qt message boxes, for the Qt programs.
#pragma once

#include <QIcon>

#include "platform/message_box.h"

namespace qm {

// Shows each request modally over the window that is modal at the time, with its caption,
// icon and buttons. While a box is open the pointer is the normal arrow, even when the
// program shows the wait cursor around the work that asks. A box closed without a button
// gives the most careful answer its buttons allow.
class QtMessageBoxService : public MessageBoxService {
  public:
    explicit QtMessageBoxService(QIcon windowIcon = {}) : windowIcon_(std::move(windowIcon)) {}
    MessageBoxResult Show(const MessageBoxRequest& request) override;

  private:
    QIcon windowIcon_;
};

}  // namespace qm
