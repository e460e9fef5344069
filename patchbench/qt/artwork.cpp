#include "patchbench/qt/artwork.h"

#include <QPainter>

#include "suite/qt/icon_strip.h"

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

}  // namespace

QImage EditorIconStrip() {
    QImage strip(kStripIconSize * kStripIconCount, kStripIconSize, QImage::Format_RGB32);
    strip.fill(kStripTransparent);
    {
        QPainter painter(&strip);
        painter.setRenderHint(QPainter::Antialiasing, false);
        using Draw = void (*)(QPainter&);
        const Draw icons[] = {DrawPatch, DrawFolder, DrawInfo, DrawTargets};
        for (int index = 0; index < 4; ++index) {
            painter.save();
            painter.translate(index * kStripIconSize, 0);
            painter.setClipRect(0, 0, kStripIconSize, kStripIconSize);
            icons[index](painter);
            painter.restore();
        }
    }
    // The item icons are the suite's, so that an item looks the same here as in TexBench.
    suite::DrawStripIcon(strip, 4, suite::ItemKindArt(suite::ItemKind::Image));
    suite::DrawStripIcon(strip, 5, suite::ItemKindArt(suite::ItemKind::Sound));
    suite::DrawStripIcon(strip, 6, suite::ItemKindArt(suite::ItemKind::Other));
    return strip;
}

QIcon EditorStripIcon(int index) {
    static const QImage strip = EditorIconStrip();
    return suite::IconOfStrip(strip, index);
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
