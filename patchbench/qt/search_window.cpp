#include "patchbench/qt/search_window.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace patchbench {

SearchWindow::SearchWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      entry_(new QLabel(this)),
      bar_(new QProgressBar(this)) {
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Searching:"), this));
    entry_->setMinimumWidth(260);
    layout->addWidget(entry_);
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
}

SearchWindow::~SearchWindow() {
    End();
}

void SearchWindow::Begin(int steps) {
    bar_->setRange(0, steps);
    bar_->setValue(0);
    entry_->clear();
    if (!waiting_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waiting_ = true;
    }
    adjustSize();
    if (parentWidget() != nullptr) {
        move(parentWidget()->window()->frameGeometry().center() - rect().center());
    }
    show();
}

void SearchWindow::Show(const std::string& entryPath) {
    entry_->setText(QString::fromLocal8Bit(entryPath.c_str()));
    // The search runs on the UI thread and takes no events while it reads: painted now, the
    // window shows each entry, and no message can reach the document half way.
    repaint();
}

void SearchWindow::Step() {
    bar_->setValue(bar_->value() + 1);
}

void SearchWindow::End() {
    hide();
    if (waiting_) {
        QApplication::restoreOverrideCursor();
        waiting_ = false;
    }
}

}  // namespace patchbench
