#include "texbench/dialogs/export_progress_window.h"

#include <algorithm>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace texbench {

ExportProgressWindow::ExportProgressWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("export progress"));
    setWindowTitle(parent != nullptr ? parent->windowTitle() : QString());
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Exporting:"), this));
    name_ = new QLabel(this);
    name_->setObjectName(QStringLiteral("name"));
    layout->addWidget(name_);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progress"));
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    setMinimumWidth(260);
}

void ExportProgressWindow::Begin(int count) {
    bar_->setRange(0, count);
    bar_->setValue(0);
    adjustSize();
    if (const QWidget* owner = parentWidget()) {
        move(owner->frameGeometry().center() - rect().center());
    }
    show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ExportProgressWindow::ShowItem(const std::string& name) {
    name_->setText(QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size())));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ExportProgressWindow::Step() {
    bar_->setValue(std::min(bar_->value() + 1, bar_->maximum()));
}

void ExportProgressWindow::End() {
    close();
}

}  // namespace texbench
