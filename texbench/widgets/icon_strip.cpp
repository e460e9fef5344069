#include "texbench/widgets/icon_strip.h"

#include <QPixmap>

namespace texbench {
namespace {

// The icons as pixel art, one text row per pixel row, icon after icon. Each letter is a
// colour of the table below; "." is the strip's transparent magenta.
constexpr const char* kStripArt[kStripIconCount * kStripIconSize] = {
    // 0 graphics root: a framed landscape
    "................",
    "................",
    "kkkkkkkkkkkkkkk.",
    "kccccccccccccckg",
    "kcccccccccyyyckg",
    "kccwwcccccyyyckg",
    "kcwwwwccccyyyckg",
    "kccccccccccccckg",
    "kccccccGcccccckg",
    "kcccccGGGccccckg",
    "kccccGGGGGcGcckg",
    "kcccGGGGGGGGGGkg",
    "kGGGGGGGGGGGGGkg",
    "kkkkkkkkkkkkkkkg",
    ".gggggggggggggg.",
    "................",
    // 1 sound root: a speaker sounding
    "................",
    "................",
    "........k.......",
    ".......kk...k...",
    "......klk....k..",
    ".....klBk.k...k.",
    ".kkkklBBk..k..k.",
    ".kwwkBBBk..k..k.",
    ".kwlkBBBk..k..k.",
    ".kkkkgBBk..k..k.",
    ".....kgBk.k...k.",
    "......kgk....k..",
    ".......kk...k...",
    "........k.......",
    "................",
    "................",
    // 2 folder, closed
    "................",
    "................",
    ".kkkkk..........",
    "kyyyyyk.........",
    "kywwwwykkkkkkk..",
    "kwyyyyyyyyyyyyk.",
    "kwyyyyyyyyyyyyk.",
    "kwyyyyyyyyyyyyk.",
    "kwyyyyyyyyyyyyk.",
    "kwyyyyyyyyyyyyk.",
    "kwyyyyyyyyyyyyk.",
    "kwyyyyyyyyyyyyk.",
    "kyoooooooooooook",
    ".kkkkkkkkkkkkkkk",
    "................",
    "................",
    // 3 folder, open
    "................",
    "................",
    ".kkkkk..........",
    "kyyyyyk.........",
    "kywwwwykkkkkk...",
    "kwyyyyyyyyyyyk..",
    "kwyykkkkkkkkkkkk",
    "kwykwyyyyyyyyyyk",
    "kwykyyyyyyyyyyk.",
    "kwkwyyyyyyyyyyk.",
    "kwkyyyyyyyyyok..",
    "kkwyyyyyyyyyok..",
    "kkyyyyyyyyyok...",
    "kkkkkkkkkkkkk...",
    "................",
    "................",
    // 4 image item: a page holding a texture
    ".kkkkkkkkk......",
    ".kwwwwwwwkk.....",
    ".kwwwwwwwklk....",
    ".kwwwwwwwkllk...",
    ".kwwwwwwwkkkkk..",
    ".kwkkkkkkkkkwk..",
    ".kwkmmnnmmnkwk..",
    ".kwkmmnnmmnkwk..",
    ".kwknnmmnnmkwk..",
    ".kwknnmmnnmkwk..",
    ".kwkmmnnmmnkwk..",
    ".kwkmmnnmmnkwk..",
    ".kwkkkkkkkkkwk..",
    ".kwwwwwwwwwwwk..",
    ".kkkkkkkkkkkkk..",
    "................",
    // 5 sound item: a page holding two notes
    ".kkkkkkkkk......",
    ".kwwwwwwwkk.....",
    ".kwwwwwwwklk....",
    ".kwwwwwwwkllk...",
    ".kwwwwkkkkkkkk..",
    ".kwwwwkBBBBBwk..",
    ".kwwwwkBkkkBwk..",
    ".kwwwwkwwwwkwk..",
    ".kwwwwkwwwwkwk..",
    ".kwwwwkwwwwkwk..",
    ".kwwBBkwwBBkwk..",
    ".kwBBBkwBBBkwk..",
    ".kwBBBwwBBBwwk..",
    ".kwwwwwwwwwwwk..",
    ".kkkkkkkkkkkkk..",
    "................",
    // 6 any other item: a blank page
    ".kkkkkkkkk......",
    ".kwwwwwwwkk.....",
    ".kwwwwwwwklk....",
    ".kwwwwwwwkllk...",
    ".kwwwwwwwkkkkk..",
    ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kkkkkkkkkkkkk..",
    "................",
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

QImage IconStripImage() {
    QImage strip(kStripIconSize * kStripIconCount, kStripIconSize, QImage::Format_RGB32);
    for (int icon = 0; icon < kStripIconCount; ++icon) {
        for (int y = 0; y < kStripIconSize; ++y) {
            const char* row = kStripArt[icon * kStripIconSize + y];
            for (int x = 0; x < kStripIconSize; ++x) {
                strip.setPixel(icon * kStripIconSize + x, y, ArtColour(row[x]));
            }
        }
    }
    return strip;
}

QIcon StripIcon(int index) {
    if (index < 0 || index >= kStripIconCount) {
        return QIcon();
    }
    QImage icon = IconStripImage()
                      .copy(index * kStripIconSize, 0, kStripIconSize, kStripIconSize)
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

}  // namespace texbench
