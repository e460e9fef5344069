// The windows of the editor's start: the main dialog, and the single-instance endpoint served
// while the program runs. Requests that arrive while the dialog cannot act (not yet running,
// or a question is open above it) wait until it can, so that nothing another program handed
// over is lost.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <memory>

#include "patchbench/engine/instance_protocol.h"
#include "patchbench/engine/startup_sequence.h"
#include "patchbench/qt/main_dialog.h"

class QSocketNotifier;

namespace patchbench {

class QtShell : public QObject, public EditorShell {
    Q_OBJECT

  public:
    QtShell();
    ~QtShell() override;

    void ServeInstanceEndpoint(qm::IpcListener& endpoint) override;
    void StopServingInstanceEndpoint() override;
    void RunMainDialog(EditorState& state) override;

    MainDialog* Dialog() const { return dialog_; }

  signals:
    void mainDialogOpened(patchbench::MainDialog* dialog);
    // A request from another program was carried out.
    void requestHandled(int kind);

  private:
    void TakeMessage();
    void DeliverPending();
    bool DialogCanAct() const;
    void Carry(const EditorRequest& request);

    qm::IpcListener* endpoint_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    QPointer<MainDialog> dialog_;
    std::deque<EditorRequest> pending_;
    QTimer retry_;
};

}  // namespace patchbench
