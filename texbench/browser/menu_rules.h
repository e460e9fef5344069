// Which context menu the browser offers and which of its commands are enabled. Pure rules,
// so that they can be checked without a screen.
#pragma once

#include "packlib/packlib.h"

namespace texbench {

// Command identifiers of the menu resource (menu 142).
enum MenuCommand : int {
    kCmdFolderInsert = 32781,
    kCmdFolderRename = 32782,
    kCmdFolderDelete = 32783,
    kCmdAddToPatch = 32784,
    kCmdItemRename = 32785,
    kCmdItemDelete = 32786,
    kCmdFolderRefresh = 32787,
    kCmdFolderProperties = 32788,
    kCmdItemRefresh = 32789,
    kCmdItemProperties = 32790,  // "Play" in the sound menu
    kCmdItemCopy = 32795,
    kCmdItemPaste = 32796,
    kCmdOpenDatabase = 32797,
    kCmdOpenFastfile = 32798,
};

// The list's context menu follows the kind of the current archive, not of the selected row.
enum class ListMenuKind { None, File, Texture, Sound };
ListMenuKind ListMenuFor(const FFLARCHIVE* currentArchive);

struct FolderMenuState {
    bool insert = false;
    bool rename = false;
    bool remove = false;
    bool refresh = false;
    bool properties = false;
};
// nodeExists: a node was under the pointer or selected.
FolderMenuState FolderMenuRules(bool nodeExists, bool nodeHasChildren, bool databaseMode);

struct ListMenuState {
    bool addToPatch = false;
    bool rename = false;
    bool remove = false;
    bool copy = false;
    bool paste = false;
    bool refresh = false;
    bool propertiesOrPlay = false;
};
ListMenuState ListMenuRules(int selectedRows, bool clipboardHoldsItems);

}  // namespace texbench
