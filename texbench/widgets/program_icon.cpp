#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "texbench/widgets/program_icon.h"

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

// The quill: a cream feather, its vane wider on one side with a notch in it and fine barbs,
// its bare barrel below the vane and a dark nib at the lower left, writing on the tile.
void DrawQuill(QPainter& painter) {
    QPainterPath vane;
    vane.moveTo(16, 33);
    vane.cubicTo(10, 24, 16, 13, 25, 9);   // the wide side up to the notch
    vane.lineTo(27, 13);                   // the notch
    vane.cubicTo(32, 7, 39, 3, 46, 2);     // on to the tip
    vane.cubicTo(42, 12, 33, 24, 18, 34);  // the narrow side back to the barrel
    vane.closeSubpath();

    QLinearGradient fill(QPointF(16, 33), QPointF(46, 2));
    fill.setColorAt(0, QColor(232, 216, 178));
    fill.setColorAt(1, QColor(255, 252, 240));
    painter.setPen(QPen(QColor(70, 48, 24), 1.4));
    painter.setBrush(fill);
    painter.drawPath(vane);

    // Barbs: fine strokes from the shaft out towards the wide side.
    painter.setPen(QPen(QColor(170, 140, 100, 150), 0.8));
    for (int i = 0; i < 5; ++i) {
        const QPointF onShaft(20 + i * 4.5, 30 - i * 4.7);
        painter.drawLine(onShaft, onShaft + QPointF(-4.5, -2.5));
    }

    painter.setPen(QPen(QColor(140, 100, 55), 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(12, 38), QPointF(43, 5));  // barrel and shaft

    QPainterPath nib;
    nib.moveTo(10, 36.5);
    nib.lineTo(13.5, 40);
    nib.lineTo(5, 46);
    nib.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(25, 20, 15));
    painter.drawPath(nib);
}

// At 16 pixels a scaled drawing blurs, so the smallest size is drawn pixel by pixel: the
// same tile and quill, "." transparent.
constexpr const char* kSmallIcon[16] = {
    ".............dde", "...........ddebd", ".........ddeebd.", "kkkkkkkkdeeebed.",
    "kmmmmnndeeebed..", "kmmmmndeeebed...", "kmmmmdeeebedk...", "kmmmdeeebedmk...",
    "knnndeebddnnk...", "knnndebdmnnnk...", "knnnnbdmmnnnk...", "knnnbmmmmnnnk...",
    "kmmkmnnnnmmmk...", "kmkmmnnnnmmmk...", "kkmmmnnnnmmmk...", "kkkkkkkkkkkkk...",
};

QRgb SmallIconColour(char letter) {
    switch (letter) {
        case 'k':
            return qRgb(0, 0, 0);
        case 'm':
            return qRgb(132, 160, 120);
        case 'n':
            return qRgb(60, 86, 76);
        case 'e':
            return qRgb(240, 228, 196);
        case 'd':
            return qRgb(70, 48, 24);
        case 'b':
            return qRgb(140, 100, 55);
        default:
            return qRgba(0, 0, 0, 0);
    }
}

QImage SmallProgramIconImage() {
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            image.setPixel(x, y, SmallIconColour(kSmallIcon[y][x]));
        }
    }
    return image;
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
    icon.addPixmap(QPixmap::fromImage(SmallProgramIconImage()));
    for (const int size : {32, 48}) {
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    }
    return icon;
}

}  // namespace texbench
