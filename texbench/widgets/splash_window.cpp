#include "texbench/widgets/splash_window.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "suite/qt/dialog_units.h"

namespace texbench {
namespace {

constexpr int kWidthUnits = 283;
constexpr int kHeightUnits = 188;

}  // namespace

SplashWindow::SplashWindow(int durationMs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), durationMs_(durationMs) {
    setFixedSize(suite::DialogUnits(font()).Size(kWidthUnits, kHeightUnits));
    setAttribute(Qt::WA_OpaquePaintEvent);
    CentreOnScreen();
}

void SplashWindow::CentreOnScreen() {
    const QScreen* target = screen();
    if (target == nullptr) {
        return;
    }
    const QRect area = target->availableGeometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void SplashWindow::done(int result) {
    timer_.stop();
    QDialog::done(result);
}

void SplashWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    timer_.start(std::max(0, durationMs_), this);
}

void SplashWindow::paintEvent(QPaintEvent*) {
    if (artwork_.size() != size()) {
        artwork_ = SplashArtwork(size());
    }
    QPainter painter(this);
    painter.drawImage(rect(), artwork_);
}

void SplashWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void SplashWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    accept();
}

}  // namespace texbench
