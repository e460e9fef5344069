#include "setup/qt/wizard_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace qm::setup::art {

namespace {

QPixmap Blank(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A closed carton seen from above the front corner, its lid lines drawn, with an arrow
// coming down into it: what an installer puts on a computer.
void DrawCarton(QPainter& painter, QRectF box, bool arrow) {
    const qreal w = box.width();
    const qreal h = box.height();
    const QPointF left(box.left(), box.top() + h * 0.4);
    const QPointF right(box.right(), box.top() + h * 0.4);
    const QPointF front(box.left() + w * 0.5, box.top() + h * 0.55);
    const QPointF leftBottom(box.left(), box.bottom() - h * 0.15);
    const QPointF rightBottom(box.right(), box.bottom() - h * 0.15);
    const QPointF frontBottom(box.left() + w * 0.5, box.bottom());
    const QPointF back(box.left() + w * 0.5, box.top() + h * 0.25);

    painter.setPen(QPen(QColor(90, 55, 20), qMax<qreal>(1.0, w / 40)));
    painter.setBrush(QColor(214, 160, 92));
    painter.drawPolygon(QPolygonF({left, front, frontBottom, leftBottom}));
    painter.setBrush(QColor(186, 130, 64));
    painter.drawPolygon(QPolygonF({front, right, rightBottom, frontBottom}));
    painter.setBrush(QColor(236, 190, 124));
    painter.drawPolygon(QPolygonF({left, back, right, front}));

    if (arrow) {
        const qreal cx = box.left() + w * 0.5;
        const qreal tip = box.top() + h * 0.42;
        QPainterPath path;
        path.moveTo(cx - w * 0.1, box.top() - h * 0.2);
        path.lineTo(cx + w * 0.1, box.top() - h * 0.2);
        path.lineTo(cx + w * 0.1, tip - h * 0.16);
        path.lineTo(cx + w * 0.22, tip - h * 0.16);
        path.lineTo(cx, tip);
        path.lineTo(cx - w * 0.22, tip - h * 0.16);
        path.lineTo(cx - w * 0.1, tip - h * 0.16);
        path.closeSubpath();
        painter.setPen(QPen(QColor(20, 60, 20), qMax<qreal>(1.0, w / 50)));
        painter.setBrush(QColor(70, 190, 70));
        painter.drawPath(path);
    }
}

}  // namespace

QPixmap PageBitmap() {
    constexpr int kWidth = 150;
    constexpr int kHeight = 300;
    QPixmap pixmap(kWidth, kHeight);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0.0, QColor(10, 24, 96));
    sky.setColorAt(1.0, QColor(40, 110, 200));
    painter.fillRect(pixmap.rect(), sky);
    // Faint rings, as on a disc.
    painter.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 6; ++ring) {
        painter.setPen(QPen(QColor(255, 255, 255, 22 + ring * 6), 2));
        const int r = 30 + ring * 22;
        painter.drawEllipse(QPoint(kWidth / 2, 95), r, r);
    }
    DrawCarton(painter, QRectF(30, 150, 90, 95), true);
    painter.setPen(QColor(220, 230, 255));
    QFont font(QStringLiteral("Times New Roman"), 13, QFont::Bold);
    font.setStyleHint(QFont::Serif);
    painter.setFont(font);
    painter.drawText(QRect(0, 258, kWidth, 30), Qt::AlignCenter, QStringLiteral("Setup"));
    return pixmap;
}

QPixmap StepDoneIcon() {
    QPixmap pixmap = Blank(16, 16);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(20, 140, 40), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
    return pixmap;
}

QPixmap StepRunningIcon() {
    QPixmap pixmap = Blank(16, 16);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 40, 0), 1));
    painter.setBrush(QColor(240, 120, 20));
    painter.drawPolygon(QPolygonF({QPointF(3, 2), QPointF(13, 8), QPointF(3, 14)}));
    return pixmap;
}

namespace {

QPixmap ComponentMark(bool ticked) {
    QPixmap pixmap = Blank(16, 16);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(1.5, 1.5, 13, 13));
    if (ticked) {
        painter.setPen(QPen(QColor(0, 0, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(4, 8), QPointF(7, 11), QPointF(12, 4.5)}));
    }
    return pixmap;
}

}  // namespace

QPixmap ComponentOnIcon() {
    return ComponentMark(true);
}

QPixmap ComponentOffIcon() {
    return ComponentMark(false);
}

QIcon FrameIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pixmap = Blank(size, size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        DrawCarton(painter, QRectF(s * 0.1, s * 0.3, s * 0.8, s * 0.68), true);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace qm::setup::art
