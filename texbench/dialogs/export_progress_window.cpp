#include "texbench/dialogs/export_progress_window.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "texbench/dialogs/skin_pictures.h"
#include "texbench/skins/skin_loader.h"
#include "texbench/widgets/bitmap_progress_bar.h"

namespace texbench {

ExportProgressWindow::ExportProgressWindow(QWidget* parent, const SkinState* skin)
    : QDialog(parent) {
    setObjectName(QStringLiteral("export progress"));
    setWindowTitle(parent != nullptr ? parent->windowTitle() : QString());
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    caption_ = new QLabel(QStringLiteral("Exporting:"), this);
    caption_->setObjectName(QStringLiteral("caption"));
    layout->addWidget(caption_);
    name_ = new QLabel(this);
    name_->setObjectName(QStringLiteral("name"));
    name_->setTextFormat(Qt::PlainText);
    layout->addWidget(name_);
    bar_ = new BitmapProgressBar(this);
    bar_->setObjectName(QStringLiteral("progress"));
    bar_->setFixedHeight(20);
    layout->addWidget(bar_);
    setMinimumWidth(260);
    // Painted whether or not a skin is in use; there is no picture without a skin module.
    background_ = SkinBitmap(skin, kProgressBackground);
    if (skin != nullptr && skin->skinMode) {
        SetUpSkin(*skin);
    }
}

void ExportProgressWindow::SetUpSkin(const SkinState& skin) {
    skinMode_ = true;
    const QColor text = FromColorRef(skin.text);
    for (QLabel* label : {caption_, name_}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, text);
        label->setPalette(palette);
        label->setAutoFillBackground(false);  // a hollow brush: the picture shows through
        label->installEventFilter(this);      // drawn by us, without mnemonics
    }
}

void ExportProgressWindow::paintEvent(QPaintEvent* event) {
    if (background_.isNull()) {
        QDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), background_);
}

// One line, vertically centred, an ampersand drawn as it is.
bool ExportProgressWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (!skinMode_ || label == nullptr || event->type() != QEvent::Paint) {
        return QDialog::eventFilter(watched, event);
    }
    QPainter painter(label);
    painter.setPen(label->palette().color(QPalette::WindowText));
    painter.setFont(label->font());
    painter.drawText(label->rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     label->text());
    return true;
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
