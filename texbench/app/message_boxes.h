// The program's questions and messages as Qt message boxes.
#pragma once

#include "platform/message_box.h"

namespace texbench {

// Shows each request modally with its caption, icon and buttons. While a box is open the
// pointer is the normal arrow, even when start-up shows the wait cursor.
class QtMessageBoxes : public qm::MessageBoxService {
  public:
    qm::MessageBoxResult Show(const qm::MessageBoxRequest& request) override;
};

}  // namespace texbench
