// Every command of the editor's menu bar with its id, menu text and key: the menu and the
// accelerators are built from this one table, so a key and its menu hint cannot disagree.
#pragma once

#include <span>

namespace patchbench {

enum CommandId : int {
    kCmdNew = 57600,
    kCmdOpen = 57601,
    kCmdSave = 57603,
    kCmdSaveAs = 57604,
    kCmdConvertOlp = 32781,
    kCmdInstall = 32776,
    kCmdExit = 57665,
    kCmdAddSound = 32771,
    kCmdAddTexture = 32772,
    kCmdRename = 32778,
    kCmdDelete = 32773,
    kCmdProperties = 32777,
    kCmdPatchInfo = 32774,
    kCmdRefresh = 32779,
    kCmdHelp = 57670,
    kCmdTipOfTheDay = 32780,
    kCmdWebHome = 32782,
    kCmdWebDevelopment = 32783,
    kCmdAbout = 57664,
};

enum class MenuName { File, Item, Help };

enum class KeyScope {
    Window,  // anywhere in the main window
    List,    // only while the list has the keyboard focus
};

struct MenuCommand {
    int id;
    MenuName menu;
    const char* text;  // the menu text; a tab separates the key hint
    const char* key;   // in the portable form "Ctrl+N"; empty when the command has none
    KeyScope scope;
    bool separatorBefore;
};

// In menu order.
std::span<const MenuCommand> MenuCommands();
// The entry of that id, or null.
const MenuCommand* FindMenuCommand(int id);
// The title of a menu of the bar.
const char* MenuTitle(MenuName menu);

// The addresses that the two web entries open.
inline constexpr char kHomeAddress[] = "https://quillmark.example.org/";
inline constexpr char kDevelopmentAddress[] = "https://quillmark.example.org/development/";

}  // namespace patchbench
