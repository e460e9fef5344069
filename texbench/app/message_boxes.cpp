#include "texbench/app/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "texbench/widgets/icon_strip.h"

namespace texbench {
namespace {

QMessageBox::Icon IconOf(qm::MessageBoxIcon icon) {
    switch (icon) {
        case qm::MessageBoxIcon::Information:
            return QMessageBox::Information;
        case qm::MessageBoxIcon::Question:
            return QMessageBox::Question;
        case qm::MessageBoxIcon::Warning:
            return QMessageBox::Warning;
        case qm::MessageBoxIcon::Error:
            return QMessageBox::Critical;
        case qm::MessageBoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(qm::MessageBoxButtons buttons) {
    using B = qm::MessageBoxButtons;
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

qm::MessageBoxResult ResultOf(int button, qm::MessageBoxButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return qm::MessageBoxResult::Ok;
        case QMessageBox::Cancel:
            return qm::MessageBoxResult::Cancel;
        case QMessageBox::Yes:
            return qm::MessageBoxResult::Yes;
        case QMessageBox::No:
            return qm::MessageBoxResult::No;
        case QMessageBox::Retry:
            return qm::MessageBoxResult::Retry;
        case QMessageBox::Abort:
            return qm::MessageBoxResult::Abort;
        case QMessageBox::Ignore:
            return qm::MessageBoxResult::Ignore;
        default:
            return qm::CarefulAnswer(buttons);  // closed without a button
    }
}

}  // namespace

qm::MessageBoxResult QtMessageBoxes::Show(const qm::MessageBoxRequest& request) {
    QMessageBox box(IconOf(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), ButtonsOf(request.buttons),
                    QApplication::activeModalWidget());
    box.setWindowIcon(ProgramIcon());
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int button = box.exec();
    QApplication::restoreOverrideCursor();
    return ResultOf(button, request.buttons);
}

}  // namespace texbench
