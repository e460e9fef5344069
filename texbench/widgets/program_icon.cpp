#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "texbench/widgets/icon_strip.h"

namespace texbench {
namespace {

// The design is drawn on a 48-unit square and scaled to each size.
constexpr qreal kDesign = 48.0;
constexpr int kTiles = 4;

// The texture tile: a framed square of stone-like tiles in two shades, as a wall texture of
// the game might look.
void DrawTextureTile(QPainter& painter) {
    const QRectF tile(3, 7, 38, 38);
    const qreal step = tile.width() / kTiles;
    for (int row = 0; row < kTiles; ++row) {
        for (int column = 0; column < kTiles; ++column) {
            const bool dark = (row + column) % 2 != 0;
            const QRectF cell(tile.left() + column * step, tile.top() + row * step, step, step);
            QLinearGradient shade(cell.topLeft(), cell.bottomRight());
            shade.setColorAt(0, dark ? QColor(70, 96, 84) : QColor(132, 160, 120));
            shade.setColorAt(1, dark ? QColor(40, 58, 52) : QColor(92, 120, 88));
            painter.fillRect(cell, shade);
        }
    }
    painter.setPen(QPen(QColor(20, 28, 26), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(tile);
}

// The quill: a cream feather from the upper right down to a dark nib at the lower left.
void DrawQuill(QPainter& painter) {
    QPainterPath feather;
    feather.moveTo(14, 36);
    feather.cubicTo(18, 22, 30, 8, 45, 2);
    feather.cubicTo(42, 14, 32, 28, 14, 36);
    painter.setPen(QPen(QColor(60, 40, 20), 1.5));
    QLinearGradient fill(QPointF(14, 36), QPointF(45, 2));
    fill.setColorAt(0, QColor(250, 240, 210));
    fill.setColorAt(1, QColor(255, 255, 245));
    painter.setBrush(fill);
    painter.drawPath(feather);

    painter.setPen(QPen(QColor(120, 90, 50), 1.2));
    painter.drawLine(QPointF(15, 35), QPointF(43, 4));  // the shaft

    painter.setPen(QPen(QColor(25, 20, 15), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(15, 35), QPointF(8, 44));  // the nib
}

QImage ProgramIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kDesign, size / kDesign);
    DrawTextureTile(painter);
    DrawQuill(painter);
    return image;
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    }
    return icon;
}

}  // namespace texbench
