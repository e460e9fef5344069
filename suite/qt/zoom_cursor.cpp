#include "suite/qt/zoom_cursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace suite {
namespace {

constexpr int kCursorSize = 32;
constexpr int kLensCentre = 12;

// A magnifying glass with a plus in its lens, drawn black on a white outline so that it shows
// on dark and light textures alike.
QImage ZoomCursorImage() {
    QImage image(kCursorSize, kCursorSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kLensCentre + 0.5, kLensCentre + 0.5);

    // Handle: a thick bar from the lens to the lower right.
    painter.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(19, 19), QPointF(28, 28));
    painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(19, 19), QPointF(28, 28));

    // Lens: a black ring inside a white one, a pale glass.
    painter.setPen(QPen(Qt::white, 5));
    painter.setBrush(QColor(230, 240, 255, 200));
    painter.drawEllipse(centre, 8.5, 8.5);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 8.5, 8.5);

    // The plus.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(kLensCentre - 4, kLensCentre, 9, 1), Qt::black);
    painter.fillRect(QRect(kLensCentre, kLensCentre - 4, 1, 9), Qt::black);
    return image;
}

}  // namespace

QCursor ZoomCursor() {
    return QCursor(QPixmap::fromImage(ZoomCursorImage()), kLensCentre, kLensCentre);
}

}  // namespace suite
