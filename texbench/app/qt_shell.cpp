#include "texbench/app/qt_shell.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <utility>

#include "texbench/app/game_program_dialog.h"
#include "texbench/widgets/splash_window.h"

namespace texbench {

QtShell::QtShell() = default;

QtShell::~QtShell() {
    ShowWaitCursor(false);
}

void QtShell::ServeInstanceEndpoint(qm::IpcListener& endpoint) {
    endpoint_ = &endpoint;
    notifier_ = std::make_unique<QSocketNotifier>(endpoint.Handle(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QtShell::TakeInstanceMessage);
}

void QtShell::StopServingInstanceEndpoint() {
    notifier_.reset();
    endpoint_ = nullptr;
}

void QtShell::ShowWaitCursor(bool on) {
    if (on && !waiting_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (!on && waiting_) {
        QApplication::restoreOverrideCursor();
    }
    waiting_ = on;
}

void QtShell::ShowSplash(int durationMs) {
    SplashWindow splash(durationMs);
    splash.exec();
}

void QtShell::RunMainDialog(ApplicationState& state) {
    MainDialog dialog(state.packLib.Record(), state.settings,
                      QString::fromLocal8Bit(state.commandLine.text));
    dialog_ = &dialog;
    emit mainDialogOpened(&dialog);
    if (pendingOpen_) {
        // Once the dialog's own loop runs, as if the message came now.
        QTimer::singleShot(0, &dialog, [this] {
            const InstanceRequest request = *std::exchange(pendingOpen_, std::nullopt);
            emit instanceRequestHandled(static_cast<int>(request.kind), Forward(request));
        });
    }
    dialog.exec();
    dialog_ = nullptr;
}

std::optional<std::string> QtShell::AskForGameProgram() {
    GameProgramDialog dialog;
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    QApplication::restoreOverrideCursor();
    if (!chosen || dialog.ChosenFile().isEmpty()) {
        return std::nullopt;
    }
    return dialog.ChosenFile().toStdString();
}

void QtShell::Beep() {
    QApplication::beep();
}

void QtShell::TakeInstanceMessage() {
    if (endpoint_ == nullptr) {
        return;
    }
    // Taking the message answers its sender at once; what happens next is ours.
    const auto message = endpoint_->Receive(std::chrono::milliseconds(0));
    if (!message) {
        return;
    }
    const InstanceRequest request = InterpretInstanceMessage(*message);
    if (dialog_ == nullptr && request.kind == InstanceRequest::Kind::Open) {
        // The second start has ended already, believing the file handed over: keep it.
        pendingOpen_ = request;
        return;
    }
    const bool acted = Forward(request);
    emit instanceRequestHandled(static_cast<int>(request.kind), acted);
}

// Only the main dialog acts on these, and only while no other modal window is open above it;
// while a question is open they are ignored, as are all but a file to open before the dialog
// exists.
bool QtShell::Forward(const InstanceRequest& request) {
    if (dialog_ == nullptr || QApplication::activeModalWidget() != dialog_) {
        return false;
    }
    switch (request.kind) {
        case InstanceRequest::Kind::Restore:
            dialog_->showNormal();
            dialog_->raise();
            dialog_->activateWindow();
            return true;
        case InstanceRequest::Kind::Open:
            return dialog_->OpenFromOtherProgram(
                QByteArray(request.data.data(), static_cast<qsizetype>(request.data.size())));
        case InstanceRequest::Kind::Reload:
            dialog_->Reload();
            return true;
        case InstanceRequest::Kind::Close:
            dialog_->close();
            return true;
        case InstanceRequest::Kind::Unknown:
            break;
    }
    return false;
}

}  // namespace texbench
