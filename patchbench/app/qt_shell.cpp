#include "patchbench/app/qt_shell.h"

#include <QApplication>
#include <QSocketNotifier>

namespace patchbench {

QtShell::QtShell() {
    retry_.setInterval(200);
    connect(&retry_, &QTimer::timeout, this, &QtShell::DeliverPending);
}

QtShell::~QtShell() = default;

void QtShell::ServeInstanceEndpoint(qm::IpcListener& endpoint) {
    endpoint_ = &endpoint;
    notifier_ = std::make_unique<QSocketNotifier>(endpoint.Handle(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QtShell::TakeMessage);
}

void QtShell::StopServingInstanceEndpoint() {
    notifier_.reset();
    endpoint_ = nullptr;
}

void QtShell::RunMainDialog(EditorState& state) {
    EditorFiles files{state.settingsFilePath, state.helpFilePath, state.tipsFilePath};
    MainDialog dialog(state.patchLib.Record(), files, state.commandLine.path,
                      ShowsTipAtStart(state), GameAccess{&state.packLib.Record(), state.database});
    dialog_ = &dialog;
    emit mainDialogOpened(&dialog);
    if (!pending_.empty()) {
        QTimer::singleShot(0, this, &QtShell::DeliverPending);
    }
    dialog.exec();
    dialog_ = nullptr;
    retry_.stop();
}

void QtShell::TakeMessage() {
    if (endpoint_ == nullptr) {
        return;
    }
    // Taking the message answers its sender at once; carrying it out is ours.
    const auto message = endpoint_->Receive(std::chrono::milliseconds(0));
    if (!message) {
        return;
    }
    EditorRequest request = InterpretEditorMessage(*message);
    if (request.kind == EditorRequest::Kind::Unknown) {
        return;
    }
    pending_.push_back(std::move(request));
    DeliverPending();
}

bool QtShell::DialogCanAct() const {
    return dialog_ != nullptr && QApplication::activeModalWidget() == dialog_;
}

void QtShell::DeliverPending() {
    while (!pending_.empty() && DialogCanAct()) {
        const EditorRequest request = std::move(pending_.front());
        pending_.pop_front();
        Carry(request);
    }
    if (pending_.empty()) {
        retry_.stop();
    } else if (!retry_.isActive()) {
        retry_.start();
    }
}

void QtShell::Carry(const EditorRequest& request) {
    switch (request.kind) {
        case EditorRequest::Kind::Restore:
            dialog_->Restore();
            break;
        case EditorRequest::Kind::OpenPatch:
            dialog_->OpenFromOtherProgram(request.path);
            break;
        case EditorRequest::Kind::ReceiveItems:
            dialog_->ReceiveItems(request.block);
            break;
        case EditorRequest::Kind::Close:
            dialog_->close();
            break;
        case EditorRequest::Kind::Unknown:
            break;
    }
    emit requestHandled(static_cast<int>(request.kind));
}

}  // namespace patchbench
