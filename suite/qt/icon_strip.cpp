#include "suite/qt/icon_strip.h"

#include <QPixmap>

namespace suite {
namespace {

constexpr const char* kImageItemArt[kStripIconSize] = {
    ".kkkkkkkkk......", ".kwwwwwwwkk.....", ".kwwwwwwwklk....", ".kwwwwwwwkllk...",
    ".kwwwwwwwkkkkk..", ".kwkkkkkkkkkwk..", ".kwkmmnnmmnkwk..", ".kwkmmnnmmnkwk..",
    ".kwknnmmnnmkwk..", ".kwknnmmnnmkwk..", ".kwkmmnnmmnkwk..", ".kwkmmnnmmnkwk..",
    ".kwkkkkkkkkkwk..", ".kwwwwwwwwwwwk..", ".kkkkkkkkkkkkk..", "................",
};

constexpr const char* kSoundItemArt[kStripIconSize] = {
    ".kkkkkkkkk......", ".kwwwwwwwkk.....", ".kwwwwwwwklk....", ".kwwwwwwwkllk...",
    ".kwwwwkkkkkkkk..", ".kwwwwkBBBBBwk..", ".kwwwwkBkkkBwk..", ".kwwwwkwwwwkwk..",
    ".kwwwwkwwwwkwk..", ".kwwwwkwwwwkwk..", ".kwwBBkwwBBkwk..", ".kwBBBkwBBBkwk..",
    ".kwBBBwwBBBwwk..", ".kwwwwwwwwwwwk..", ".kkkkkkkkkkkkk..", "................",
};

constexpr const char* kOtherItemArt[kStripIconSize] = {
    ".kkkkkkkkk......", ".kwwwwwwwkk.....", ".kwwwwwwwklk....", ".kwwwwwwwkllk...",
    ".kwwwwwwwkkkkk..", ".kwwwwwwwwwwwk..", ".kwwwwwwwwwwwk..", ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..", ".kwwwwwwwwwwwk..", ".kwwwwwwwwwwwk..", ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..", ".kwwwwwwwwwwwk..", ".kkkkkkkkkkkkk..", "................",
};

QRgb ArtColour(char letter) {
    switch (letter) {
        case 'k':
            return qRgb(0, 0, 0);
        case 'g':
            return qRgb(128, 128, 128);
        case 'l':
            return qRgb(192, 192, 192);
        case 'w':
            return qRgb(255, 255, 255);
        case 'y':
            return qRgb(255, 216, 96);
        case 'o':
            return qRgb(200, 144, 32);
        case 'c':
            return qRgb(120, 200, 255);
        case 'G':
            return qRgb(40, 160, 40);
        case 'B':
            return qRgb(40, 80, 200);
        case 'm':
            return qRgb(132, 160, 120);
        case 'n':
            return qRgb(60, 86, 76);
        default:
            return kStripTransparent;
    }
}

}  // namespace

void DrawStripIcon(QImage& strip, int index, PixelArt art) {
    for (int y = 0; y < kStripIconSize; ++y) {
        const char* row = art[static_cast<std::size_t>(y)];
        for (int x = 0; x < kStripIconSize; ++x) {
            strip.setPixel(index * kStripIconSize + x, y, ArtColour(row[x]));
        }
    }
}

PixelArt ItemKindArt(ItemKind kind) {
    switch (kind) {
        case ItemKind::Image:
            return PixelArt(kImageItemArt);
        case ItemKind::Sound:
            return PixelArt(kSoundItemArt);
        case ItemKind::Other:
            break;
    }
    return PixelArt(kOtherItemArt);
}

QIcon IconOfStrip(const QImage& strip, int index) {
    if (index < 0 || (index + 1) * kStripIconSize > strip.width()) {
        return QIcon();
    }
    QImage icon = strip.copy(index * kStripIconSize, 0, kStripIconSize, kStripIconSize)
                      .convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            if (icon.pixel(x, y) == kStripTransparent) {
                icon.setPixel(x, y, qRgba(0, 0, 0, 0));
            }
        }
    }
    return QIcon(QPixmap::fromImage(icon));
}

}  // namespace suite
