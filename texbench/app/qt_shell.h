// The windows of TexBench's start-up: wait cursor, the game's file dialog, the splash window
// and the main dialog, and the single-instance endpoint served while the program runs.
#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <memory>
#include <optional>

#include "texbench/dialogs/main_dialog.h"
#include "texbench/startup/startup_sequence.h"

class QSocketNotifier;

namespace texbench {

class QtShell : public QObject, public StartupShell {
    Q_OBJECT

  public:
    QtShell();
    ~QtShell() override;

    void ServeInstanceEndpoint(qm::IpcListener& endpoint) override;
    void StopServingInstanceEndpoint() override;
    void ShowWaitCursor(bool on) override;
    void ShowSplash(int durationMs) override;
    void RunMainDialog(ApplicationState& state) override;
    std::optional<std::string> AskForGameProgram() override;
    void Beep() override;

    // The main dialog while it runs, else null.
    MainDialog* Dialog() const { return dialog_; }

  signals:
    // Right before the main dialog runs modally.
    void mainDialogOpened(texbench::MainDialog* dialog);
    // The main dialog acted on a message from the endpoint (at once, or once it could);
    // `acted` tells whether it took it (and, for a file to open, whether it answered true).
    void instanceRequestHandled(int kind, bool acted);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void TakeInstanceMessage();
    // The main dialog runs and no other modal window is open above it.
    bool DialogCanAct() const;
    void Queue(const InstanceRequest& request);
    // Hands the queued messages to the dialog, in order, while it can act on them.
    void ActOnQueued();
    bool Forward(const InstanceRequest& request);

    qm::IpcListener* endpoint_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    QPointer<MainDialog> dialog_;
    // Messages the dialog cannot act on yet: a file handed over while the program was still
    // starting (splash, game location), and whatever arrives while a question or another
    // modal window is open. Their senders were answered when they were taken, so they are
    // kept until the dialog can act rather than dropped.
    std::deque<InstanceRequest> queued_;
    bool actingOnQueued_ = false;
    bool waiting_ = false;
};

}  // namespace texbench
