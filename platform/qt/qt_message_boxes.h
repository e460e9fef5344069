// The suite's questions and messages as Qt message boxes, for the Qt programs.
#pragma once

#include <QIcon>

#include <mutex>

#include "platform/message_box.h"

namespace qm {

// Shows each request modally over the window that is modal at the time, with its caption,
// icon and buttons. While a box is open the pointer is the normal arrow, even when the
// program shows the wait cursor around the work that asks. A box closed without a button
// gives the most careful answer its buttons allow.
//
// Widgets live on the UI thread only, so a question asked from another thread is handed to
// the UI thread and the asking thread waits there for the answer; workers' questions come
// one at a time. The UI thread must therefore keep its event loop running while a worker
// may ask (wait for workers with an event loop, never with a blocking join). A worker whose
// question cannot be delivered (no application) gets the most careful answer.
class QtMessageBoxService : public MessageBoxService {
  public:
    explicit QtMessageBoxService(QIcon windowIcon = {}) : windowIcon_(std::move(windowIcon)) {}
    MessageBoxResult Show(const MessageBoxRequest& request) override;

  private:
    MessageBoxResult ShowOnUiThread(const MessageBoxRequest& request);

    QIcon windowIcon_;
    std::mutex workerQuestions_;
};

}  // namespace qm
