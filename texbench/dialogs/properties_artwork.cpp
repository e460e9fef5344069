#include "texbench/dialogs/properties_artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace texbench {
namespace {

constexpr int kIconSize = 16;
constexpr int kCursorSize = 32;

// A dropper lying from the bottom left to the top right, its tip at (tipX, tipY).
void DrawDropper(QPainter& painter, qreal tipX, qreal tipY, qreal length) {
    painter.save();
    painter.translate(tipX, tipY);
    painter.rotate(-45);
    const qreal w = length / 5;
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(200, 200, 210));
    painter.drawRect(QRectF(w * 0.5, -w / 2, length * 0.55, w));  // the glass tube
    painter.setBrush(QColor(40, 40, 48));
    painter.drawRoundedRect(QRectF(length * 0.6, -w * 0.8, length * 0.4, w * 1.6), 2, 2);  // bulb
    painter.drawLine(QPointF(0, 0), QPointF(w * 0.5, 0));  // the tip
    painter.restore();
}

}  // namespace

QIcon PickerIcon() {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawDropper(painter, 2, 14, 17);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 120, 215));
    painter.drawEllipse(QRectF(0.5, 12.5, 3, 3));  // the drop it takes
    return QIcon(pixmap);
}

QIcon PaletteIcon() {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath board;
    board.addEllipse(QRectF(1, 2, 14, 12));
    QPainterPath thumb;
    thumb.addEllipse(QRectF(8.5, 8.5, 3.5, 3.5));
    painter.setPen(QPen(QColor(90, 60, 30), 1));
    painter.setBrush(QColor(222, 184, 135));
    painter.drawPath(board.subtracted(thumb));
    const QColor paints[] = {Qt::red, QColor(255, 200, 0), QColor(0, 160, 0), Qt::blue};
    const QPointF spots[] = {{4.5, 6}, {7.5, 4.5}, {11, 5.5}, {4.5, 10}};
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(paints[i]);
        painter.drawEllipse(spots[i], 1.6, 1.6);
    }
    return QIcon(pixmap);
}

QCursor PickerCursor() {
    QPixmap pixmap(kCursorSize, kCursorSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const int c = kCursorSize / 2;
    // White under black, so the cross shows on dark and light pictures alike.
    for (const auto& [color, width] : {std::pair{QColor(Qt::white), 3}, {QColor(Qt::black), 1}}) {
        painter.setPen(QPen(color, width));
        painter.drawLine(c, c - 9, c, c - 3);
        painter.drawLine(c, c + 3, c, c + 9);
        painter.drawLine(c - 9, c, c - 3, c);
        painter.drawLine(c + 3, c, c + 9, c);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    DrawDropper(painter, c + 4, c - 4, 12);
    return QCursor(pixmap, c, c);
}

}  // namespace texbench
