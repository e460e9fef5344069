#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <cstdint>

#include "texbench/widgets/splash_window.h"

namespace texbench {
namespace {

// A small integer hash, so that the "grain" of the tiles is the same on every start.
std::uint32_t Hash(std::uint32_t x, std::uint32_t y) {
    std::uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

int Clamp(int value) {
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

// Stone-like tiles: each tile its own shade of a dark green-grey, a grain of noise over it,
// and a bevel of light top and left and dark bottom and right edges.
void DrawTiles(QImage& image) {
    const int tile = std::max(8, image.height() / 6);
    const int bevel = std::max(1, tile / 16);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int tileX = x / tile;
            const int tileY = y / tile;
            const int inX = x % tile;
            const int inY = y % tile;
            int light = 52 + static_cast<int>(Hash(tileX, tileY) % 24);
            light += static_cast<int>(Hash(x, y) % 15) - 7;
            if (inX < bevel || inY < bevel) {
                light += 34;
            } else if (inX >= tile - bevel || inY >= tile - bevel) {
                light -= 30;
            }
            line[x] = qRgb(Clamp(light - 8), Clamp(light + 6), Clamp(light - 2));
        }
    }
}

// A dark band behind the titles and a glow around them, so that the text stands out.
void DrawBand(QPainter& painter, const QRectF& area) {
    QLinearGradient band(area.topLeft(), area.bottomLeft());
    band.setColorAt(0.0, QColor(0, 0, 0, 0));
    band.setColorAt(0.25, QColor(0, 0, 0, 170));
    band.setColorAt(0.75, QColor(0, 0, 0, 170));
    band.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.fillRect(area, band);
}

void DrawText(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
              const QColor& colour, qreal shadow) {
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0, 200));
    painter.drawText(box.translated(shadow, shadow), Qt::AlignCenter, text);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

QFont TitleFont(qreal pixels, bool bold) {
    QFont font(QStringLiteral("Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(std::max(1, static_cast<int>(pixels)));
    font.setBold(bold);
    return font;
}

}  // namespace

QImage SplashArtwork(QSize size) {
    if (size.isEmpty()) {
        return QImage();
    }
    QImage image(size, QImage::Format_RGB32);
    DrawTiles(image);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal w = size.width();
    const qreal h = size.height();

    QRadialGradient vignette(QPointF(w / 2, h / 2), std::max(w, h) * 0.75);
    vignette.setColorAt(0.5, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, 160));
    painter.fillRect(image.rect(), vignette);

    DrawBand(painter, QRectF(0, h * 0.26, w, h * 0.48));
    DrawText(painter, QRectF(0, h * 0.30, w, h * 0.26), QStringLiteral("Skinwright"),
             TitleFont(h * 0.2, true), QColor(236, 222, 170), std::max(1.0, h / 120));
    DrawText(painter, QRectF(0, h * 0.54, w, h * 0.12), QStringLiteral("Quillmark Fastfile Tools"),
             TitleFont(h * 0.065, false), QColor(200, 214, 200), std::max(1.0, h / 240));

    painter.setPen(QPen(QColor(10, 14, 12), std::max(1.0, h / 150)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    return image;
}

}  // namespace texbench
