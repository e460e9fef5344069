#include "patchbench/qt/artwork.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>

namespace patchbench {
namespace {

// The icons are drawn without smoothing so that their edges stay exactly on the pixel grid
// and no blend of magenta appears around them.
void DrawPatch(QPainter& p) {
    p.fillRect(2, 5, 12, 9, QColor(0xc8, 0x9a, 0x5a));
    p.fillRect(2, 3, 12, 3, QColor(0xde, 0xb8, 0x7a));
    p.setPen(QColor(0x6b, 0x4a, 0x20));
    p.drawRect(2, 3, 11, 10);
    p.fillRect(7, 3, 2, 11, QColor(0xc0, 0x20, 0x20));
}

void DrawFolder(QPainter& p) {
    p.fillRect(1, 4, 6, 2, QColor(0xe8, 0xc0, 0x40));
    p.fillRect(1, 5, 14, 9, QColor(0xf4, 0xd0, 0x50));
    p.setPen(QColor(0x90, 0x70, 0x10));
    p.drawRect(1, 5, 13, 8);
}

void DrawInfo(QPainter& p) {
    p.setBrush(QColor(0x30, 0x60, 0xc0));
    p.setPen(QColor(0x10, 0x30, 0x80));
    p.drawEllipse(1, 1, 13, 13);
    p.fillRect(7, 4, 2, 2, Qt::white);
    p.fillRect(7, 7, 2, 5, Qt::white);
}

void DrawTargets(QPainter& p) {
    p.fillRect(2, 1, 11, 14, Qt::white);
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRect(2, 1, 10, 13);
    for (int y = 4; y <= 12; y += 3) {
        p.fillRect(4, y, 7, 1, QColor(0x30, 0x80, 0x30));
    }
}

void DrawImageItem(QPainter& p) {
    p.fillRect(1, 2, 14, 12, QColor(0x90, 0xc8, 0xf0));
    p.fillRect(1, 10, 14, 4, QColor(0x40, 0xa0, 0x40));
    p.setBrush(QColor(0xf0, 0xd0, 0x20));
    p.setPen(Qt::NoPen);
    p.drawEllipse(10, 3, 3, 3);
    QPainterPath hill;
    hill.moveTo(2, 11);
    hill.lineTo(6, 6);
    hill.lineTo(10, 11);
    p.fillPath(hill, QColor(0x70, 0x60, 0x50));
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.setBrush(Qt::NoBrush);
    p.drawRect(1, 2, 13, 11);
}

void DrawSoundItem(QPainter& p) {
    p.fillRect(2, 6, 3, 4, QColor(0x40, 0x40, 0x40));
    QPainterPath cone;
    cone.moveTo(5, 6);
    cone.lineTo(9, 2);
    cone.lineTo(9, 14);
    cone.lineTo(5, 10);
    p.fillPath(cone, QColor(0x40, 0x40, 0x40));
    p.setPen(QColor(0x20, 0x70, 0xd0));
    p.drawLine(11, 6, 11, 10);
    p.drawLine(13, 4, 13, 12);
}

void DrawUnknownItem(QPainter& p) {
    p.fillRect(3, 1, 10, 14, Qt::white);
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRect(3, 1, 9, 13);
    p.setPen(QColor(0xa0, 0x20, 0x20));
    p.drawLine(6, 4, 9, 4);
    p.drawLine(10, 5, 10, 6);
    p.drawLine(8, 7, 9, 7);
    p.drawLine(8, 8, 8, 9);
    p.drawPoint(8, 11);
}

}  // namespace

QImage EditorIconStrip() {
    QImage strip(kStripIconSize * kStripIconCount, kStripIconSize, QImage::Format_RGB32);
    strip.fill(kStripTransparent);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    using Draw = void (*)(QPainter&);
    const Draw icons[kStripIconCount] = {DrawPatch,     DrawFolder,    DrawInfo,       DrawTargets,
                                         DrawImageItem, DrawSoundItem, DrawUnknownItem};
    for (int index = 0; index < kStripIconCount; ++index) {
        painter.save();
        painter.translate(index * kStripIconSize, 0);
        painter.setClipRect(0, 0, kStripIconSize, kStripIconSize);
        icons[index](painter);
        painter.restore();
    }
    return strip;
}

QIcon EditorStripIcon(int index) {
    if (index < 0 || index >= kStripIconCount) {
        return {};
    }
    static const QImage strip = EditorIconStrip();
    QPixmap pixmap =
        QPixmap::fromImage(strip.copy(index * kStripIconSize, 0, kStripIconSize, kStripIconSize));
    pixmap.setMask(pixmap.createMaskFromColor(QColor::fromRgb(kStripTransparent)));
    return QIcon(pixmap);
}

QIcon EditorProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, size > 16);
        const double u = size / 16.0;
        p.setPen(QPen(QColor(0x6b, 0x4a, 0x20), std::max(1.0, u * 0.8)));
        p.setBrush(QColor(0xc8, 0x9a, 0x5a));
        p.drawRect(QRectF(1.5 * u, 4.5 * u, 13 * u, 10 * u));
        p.setBrush(QColor(0xde, 0xb8, 0x7a));
        p.drawRect(QRectF(1.5 * u, 2.5 * u, 13 * u, 3 * u));
        p.fillRect(QRectF(7 * u, 2.5 * u, 2 * u, 12 * u), QColor(0xc0, 0x20, 0x20));
        p.setPen(QPen(QColor(0xc0, 0x20, 0x20), std::max(1.0, u)));
        p.drawLine(QPointF(8 * u, 2.5 * u), QPointF(5 * u, 0.5 * u));
        p.drawLine(QPointF(8 * u, 2.5 * u), QPointF(11 * u, 0.5 * u));
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap TipBulb() {
    QPixmap pixmap(32, 40);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x90, 0x80, 0x20), 1.5));
    p.setBrush(QColor(0xff, 0xee, 0x60));
    p.drawEllipse(QRectF(4, 2, 24, 24));
    p.setBrush(QColor(0xa0, 0xa0, 0xa0));
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    p.drawRect(QRectF(10, 25, 12, 10));
    for (double y = 28; y < 35; y += 3) {
        p.drawLine(QPointF(10, y), QPointF(22, y));
    }
    return pixmap;
}

}  // namespace patchbench
