// The main dialog's commands in one table: each command's id, where it is offered, its text,
// its key and when it is enabled. The dialog's buttons, the keys of the tree and the list,
// and the pop-up menus all read this table, so a command is added or changed in one place.
// Pure data and rules, so that they can be checked without a screen.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "packlib/packlib.h"

namespace texbench {

// The ids of the dialog's buttons and of the menu resource (menu 142).
enum class CommandId : int {
    Close = 2,
    Import = 1000,
    Export = 1001,
    Patch = 1053,
    Open = 1055,
    About = 57664,
    FolderInsert = 32781,
    FolderRename = 32782,
    FolderDelete = 32783,
    AddToPatch = 32784,
    ItemRename = 32785,
    ItemDelete = 32786,
    FolderRefresh = 32787,
    FolderProperties = 32788,
    ItemRefresh = 32789,
    ItemProperties = 32790,  // "Play" in the sound menu
    ItemCopy = 32795,
    ItemPaste = 32796,
    OpenDatabase = 32797,
    OpenFastfile = 32798,
    PatchNew = 32799,
    PatchOpen = 32800,
    PatchInstall = 32801,
};

// Where a command is offered. The tree answers the keys of the folder menu's commands, the
// list those of the list menu's.
// The patch menu is offered as the "Patch" pop-up of the Open menu.
enum class CommandPlace { Button, FolderMenu, ListMenu, OpenMenu, PatchMenu };

enum class CommandKey { None, Insert, Delete, F2, F5, Return };

// The list's context menu follows the kind of the current archive, not of the selected row.
enum class ListMenuKind { None, File, Texture, Sound };
ListMenuKind ListMenuFor(const FFLARCHIVE* currentArchive);

// What the enabling rules look at, taken when a menu opens, a key arrives or the buttons are
// brought up to date.
struct CommandContext {
    bool nodeExists = false;  // a node was under the pointer or selected
    bool nodeHasChildren = false;
    bool databaseMode = false;
    bool archiveOpen = false;
    bool archiveHasItems = false;
    int selectedRows = 0;
    bool clipboardHoldsItems = false;
};

struct Command {
    CommandId id;
    CommandPlace place;
    const char* name;  // a button's object name; otherwise a name for diagnostics
    const char* text;  // without the key; a menu shows the key after a tab
    CommandKey key;
    // List menu only: the menus (bits of 1 << ListMenuKind) that show the entry.
    unsigned listMenus;
    bool separatorBefore;
    // False for a command that is shown but not part of this build: it stays disabled
    // whatever its rule says. Every command of this build is built.
    bool built;
    bool (*rule)(const CommandContext&);
    // Open menu only: whether the entry carries the radio mark.
    bool (*checked)(const CommandContext&);
};

// Every command, in the order the dialog lays them out within each place.
std::span<const Command> Commands();

// The entries of one place in order; for the list menu, those of the given kind.
std::vector<const Command*> CommandsIn(CommandPlace place, ListMenuKind kind = ListMenuKind::None);

// The command a key runs in the tree (FolderMenu) or the list (ListMenu); null when the
// key is none of that place's. In the list, Enter is "Properties..." or "Play" by the menu
// the current archive shows: the entry of the kind's menu when it has one, else the first.
const Command* CommandForKey(CommandPlace place, CommandKey key,
                             ListMenuKind kind = ListMenuKind::None);

const Command* FindCommand(CommandId id);

// Built and allowed by its rule.
bool IsEnabled(const Command& command, const CommandContext& context);

// The text as a menu shows it: "Rename\tF2".
std::string MenuText(const Command& command);

}  // namespace texbench
