#include "texbench/browser/menu_rules.h"

#include "suite/item_kind.h"

namespace texbench {

ListMenuKind ListMenuFor(const FFLARCHIVE* currentArchive) {
    if (currentArchive == nullptr) {
        return ListMenuKind::None;
    }
    switch (suite::KindOfArchive(currentArchive)) {
        case suite::ItemKind::Image:
            return ListMenuKind::Texture;
        case suite::ItemKind::Sound:
            return ListMenuKind::Sound;
        case suite::ItemKind::Other:
            break;
    }
    return ListMenuKind::File;
}

FolderMenuState FolderMenuRules(bool nodeExists, bool nodeHasChildren, bool databaseMode) {
    const bool leaf = nodeExists && !nodeHasChildren;
    FolderMenuState state;
    state.insert = true;
    state.rename = leaf;
    state.remove = leaf && databaseMode;
    state.refresh = true;
    state.properties = leaf;
    return state;
}

ListMenuState ListMenuRules(int selectedRows, bool clipboardHoldsItems) {
    const bool any = selectedRows > 0;
    const bool one = selectedRows == 1;
    ListMenuState state;
    state.addToPatch = any;
    state.rename = one;
    state.remove = any;
    state.copy = any;
    state.paste = clipboardHoldsItems;
    state.refresh = true;
    state.propertiesOrPlay = one;
    return state;
}

}  // namespace texbench
