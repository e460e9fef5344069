#include "texbench/widgets/icon_strip.h"

namespace texbench {
namespace {

// The roots and folders as pixel art in the suite's palette (suite/qt/icon_strip.h); the item
// icons are the suite's own, shared with PatchBench's list.
constexpr const char* kFolderArt[4][kStripIconSize] = {
    // 0 graphics root: a framed landscape
    {
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
    },
    // 1 sound root: a speaker sounding
    {
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
    },
    // 2 folder, closed
    {
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
    },
    // 3 folder, open
    {
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
    },
};

}  // namespace

QImage IconStripImage() {
    QImage strip(kStripIconSize * kStripIconCount, kStripIconSize, QImage::Format_RGB32);
    for (int icon = kGraphicsRootIcon; icon <= kOpenFolderIcon; ++icon) {
        suite::DrawStripIcon(strip, icon, suite::PixelArt(kFolderArt[icon]));
    }
    suite::DrawStripIcon(strip, kImageItemIcon, suite::ItemKindArt(suite::ItemKind::Image));
    suite::DrawStripIcon(strip, kSoundItemIcon, suite::ItemKindArt(suite::ItemKind::Sound));
    suite::DrawStripIcon(strip, kOtherItemIcon, suite::ItemKindArt(suite::ItemKind::Other));
    return strip;
}

QIcon StripIcon(int index) {
    if (index < 0 || index >= kStripIconCount) {
        return QIcon();
    }
    return suite::IconOfStrip(IconStripImage(), index);
}

}  // namespace texbench
