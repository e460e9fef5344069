#include "platform/qt/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace qm {
namespace {

QMessageBox::Icon IconOf(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Information:
            return QMessageBox::Information;
        case MessageBoxIcon::Question:
            return QMessageBox::Question;
        case MessageBoxIcon::Warning:
            return QMessageBox::Warning;
        case MessageBoxIcon::Error:
            return QMessageBox::Critical;
        case MessageBoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MessageBoxButtons buttons) {
    using B = MessageBoxButtons;
    switch (buttons) {
        case B::Ok:
            return QMessageBox::Ok;
        case B::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case B::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case B::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case B::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case B::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

MessageBoxResult ResultOf(int button, MessageBoxButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageBoxResult::Ok;
        case QMessageBox::Cancel:
            return MessageBoxResult::Cancel;
        case QMessageBox::Yes:
            return MessageBoxResult::Yes;
        case QMessageBox::No:
            return MessageBoxResult::No;
        case QMessageBox::Retry:
            return MessageBoxResult::Retry;
        case QMessageBox::Abort:
            return MessageBoxResult::Abort;
        case QMessageBox::Ignore:
            return MessageBoxResult::Ignore;
        default:
            return CarefulAnswer(buttons);  // closed without a button
    }
}

}  // namespace

MessageBoxResult QtMessageBoxService::Show(const MessageBoxRequest& request) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return CarefulAnswer(request.buttons);  // no application, nowhere to show a box
    }
    if (QThread::currentThread() == app->thread()) {
        return ShowOnUiThread(request);
    }
    const std::lock_guard<std::mutex> oneAtATime(workerQuestions_);
    // Stays the careful answer when the call is dropped because the application goes away.
    MessageBoxResult answer = CarefulAnswer(request.buttons);
    QMetaObject::invokeMethod(
        app, [this, &request] { return ShowOnUiThread(request); }, Qt::BlockingQueuedConnection,
        &answer);
    return answer;
}

MessageBoxResult QtMessageBoxService::ShowOnUiThread(const MessageBoxRequest& request) {
    QMessageBox box(IconOf(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), ButtonsOf(request.buttons),
                    QApplication::activeModalWidget());
    if (!windowIcon_.isNull()) {
        box.setWindowIcon(windowIcon_);
    }
    if (!request.details.empty()) {
        box.setDetailedText(QString::fromStdString(request.details));
    }
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int button = box.exec();
    QApplication::restoreOverrideCursor();
    return ResultOf(button, request.buttons);
}

}  // namespace qm
