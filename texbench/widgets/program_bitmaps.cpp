#include "texbench/widgets/program_bitmaps.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace texbench {
namespace {

std::uint32_t Hash(std::uint32_t x, std::uint32_t y) {
    std::uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Deep blue night with a faint hexagon and a scatter of stars.
QImage AboutBackground() {
    QImage image(360, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0.0, QColor(10, 16, 44));
    sky.setColorAt(1.0, QColor(2, 4, 12));
    painter.fillRect(image.rect(), sky);
    for (std::uint32_t i = 0; i < 140; ++i) {
        const int x = static_cast<int>(Hash(i, 1) % 360);
        const int y = static_cast<int>(Hash(i, 2) % 300);
        const int light = 90 + static_cast<int>(Hash(i, 3) % 160);
        painter.fillRect(x, y, 1, 1, QColor(light, light, std::min(255, light + 30)));
    }
    QPolygonF hexagon;
    for (int corner = 0; corner < 6; ++corner) {
        const double angle = M_PI / 3.0 * corner;
        hexagon << QPointF(180 + 120 * std::cos(angle), 150 + 120 * std::sin(angle));
    }
    painter.setPen(QPen(QColor(70, 110, 200, 90), 6));
    painter.setBrush(QColor(40, 70, 150, 40));
    painter.drawPolygon(hexagon);
    return image;
}

// A bar of lit segments from green to amber in a dark groove.
QImage ProgressFull() {
    QImage image(kProgressBitmapWidth, kProgressBitmapHeight, QImage::Format_RGB32);
    image.fill(QColor(8, 12, 8));
    QPainter painter(&image);
    for (int x = 1; x + 8 <= image.width() - 1; x += 10) {
        const double along = static_cast<double>(x) / image.width();
        const QColor lit(static_cast<int>(60 + 190 * along), static_cast<int>(220 - 40 * along),
                         40);
        QLinearGradient shine(0, 2, 0, image.height() - 2);
        shine.setColorAt(0.0, lit.lighter(150));
        shine.setColorAt(1.0, lit.darker(160));
        painter.fillRect(QRect(x, 2, 8, image.height() - 4), shine);
    }
    return image;
}

// The same groove, unlit.
QImage ProgressEmpty() {
    QImage image(kProgressBitmapWidth, kProgressBitmapHeight, QImage::Format_RGB32);
    image.fill(QColor(8, 12, 8));
    QPainter painter(&image);
    for (int x = 1; x + 8 <= image.width() - 1; x += 10) {
        painter.fillRect(QRect(x, 2, 8, image.height() - 4), QColor(36, 44, 40));
    }
    return image;
}

}  // namespace

QImage ProgramBitmap(int id) {
    switch (id) {
        case kAboutBackground:
            return AboutBackground();
        case kProgressFull:
            return ProgressFull();
        case kProgressEmpty:
            return ProgressEmpty();
        default:
            return QImage();
    }
}

QCursor PointingCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(10, 2, 5, 15), 2.5, 2.5);  // the pointing finger
    hand.addRoundedRect(QRectF(8, 13, 15, 14), 4, 4);     // the fist
    hand.addRoundedRect(QRectF(5, 14, 5, 8), 2.5, 2.5);   // the thumb
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::white);
    painter.drawPath(hand.simplified());
    painter.end();
    return QCursor(pixmap, 12, 2);
}

}  // namespace texbench
