// Which icon of the icon strip stands for what. Plain numbers without Qt, so that the headless
// browser model can name a row's icon; the strip itself is drawn in icon_strip.cpp.
#pragma once

#include "suite/item_kind.h"

namespace texbench {

enum StripIndex : int {
    kGraphicsRootIcon = 0,
    kSoundRootIcon = 1,
    kClosedFolderIcon = 2,
    kOpenFolderIcon = 3,
    kImageItemIcon = 4,
    kSoundItemIcon = 5,
    kOtherItemIcon = 6,
};

// The icon of a list row of this kind: 4 image, 5 sound, 6 other.
constexpr int IconOfKind(suite::ItemKind kind) {
    switch (kind) {
        case suite::ItemKind::Image:
            return kImageItemIcon;
        case suite::ItemKind::Sound:
            return kSoundItemIcon;
        case suite::ItemKind::Other:
            break;
    }
    return kOtherItemIcon;
}

}  // namespace texbench
