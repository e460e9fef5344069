#include "texbench/app/qt_shell.h"

#include <QApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QTimer>

#include "texbench/app/game_program_dialog.h"
#include "texbench/widgets/splash_window.h"

namespace texbench {
namespace {

// Bounds what a flood of messages can pile up while a question stays open.
constexpr std::size_t kMostQueued = 64;

}  // namespace

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
                      QString::fromLocal8Bit(state.commandLine.text), nullptr,
                      MainDialogLook{&state.skin, &state.restartRequest, state.helpFilePath});
    dialog_ = &dialog;
    // Told when a modal window above it closes, so that waiting messages are acted on then.
    dialog.installEventFilter(this);
    emit mainDialogOpened(&dialog);
    // Once the dialog's own loop runs, as if the messages came now.
    QTimer::singleShot(0, &dialog, [this] { ActOnQueued(); });
    dialog.exec();
    dialog.removeEventFilter(this);
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
    if (dialog_ == nullptr) {
        // Before the dialog exists only a file to open means anything: the second start has
        // ended already, believing the file handed over.
        if (request.kind == InstanceRequest::Kind::Open) {
            Queue(request);
        }
        return;
    }
    Queue(request);
    ActOnQueued();
}

bool QtShell::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dialog_ && event->type() == QEvent::WindowUnblocked) {
        // After the modal window has fully gone.
        QTimer::singleShot(0, this, [this] { ActOnQueued(); });
    }
    return QObject::eventFilter(watched, event);
}

bool QtShell::DialogCanAct() const {
    return dialog_ != nullptr && QApplication::activeModalWidget() == dialog_;
}

void QtShell::Queue(const InstanceRequest& request) {
    const bool repeat = !queued_.empty() && queued_.back().kind == request.kind &&
                        queued_.back().data == request.data;
    if (!repeat && queued_.size() < kMostQueued) {
        queued_.push_back(request);
    }
}

void QtShell::ActOnQueued() {
    // Acting may open a question, during which further messages arrive and the question's
    // closing calls here again: the outer call carries on with them afterwards.
    if (actingOnQueued_) {
        return;
    }
    actingOnQueued_ = true;
    while (!queued_.empty() && DialogCanAct()) {
        const InstanceRequest request = queued_.front();
        queued_.pop_front();
        const bool acted = Forward(request);
        emit instanceRequestHandled(static_cast<int>(request.kind), acted);
    }
    actingOnQueued_ = false;
}

// Only the main dialog acts on these, and only while no other modal window is open above it.
bool QtShell::Forward(const InstanceRequest& request) {
    if (!DialogCanAct()) {
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
