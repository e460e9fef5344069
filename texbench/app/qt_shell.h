// The windows of TexBench's start-up: wait cursor, the game's file dialog, the splash window
// and the main dialog, and the single-instance endpoint served while the program runs.
#pragma once

#include <QObject>
#include <QPointer>
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
    // A message arrived at the endpoint; `acted` tells whether the main dialog took it (and,
    // for a file to open, whether it answered true).
    void instanceRequestHandled(int kind, bool acted);

  private:
    void TakeInstanceMessage();
    bool Forward(const InstanceRequest& request);

    qm::IpcListener* endpoint_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    QPointer<MainDialog> dialog_;
    // A file handed over while the program was still starting (splash, game location),
    // opened as soon as the main dialog runs.
    std::optional<InstanceRequest> pendingOpen_;
    bool waiting_ = false;
};

}  // namespace texbench
