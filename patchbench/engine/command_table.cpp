#include "patchbench/engine/command_table.h"

#include <array>

namespace patchbench {
namespace {

constexpr KeyScope W = KeyScope::Window;

constexpr std::array kCommands{
    MenuCommand{kCmdNew, MenuName::File, "&New\tCtrl+N", "Ctrl+N", W, false},
    MenuCommand{kCmdOpen, MenuName::File, "&Open...\tCtrl+O", "Ctrl+O", W, false},
    MenuCommand{kCmdSave, MenuName::File, "&Save\tCtrl+S", "Ctrl+S", W, false},
    MenuCommand{kCmdSaveAs, MenuName::File, "Save &As...\tF12", "F12", W, false},
    MenuCommand{kCmdConvertOlp, MenuName::File, "&Convert *.OLP...\tCtrl+C", "Ctrl+C", W, true},
    MenuCommand{kCmdInstall, MenuName::File, "&Install...", "", W, false},
    MenuCommand{kCmdExit, MenuName::File, "E&xit\tEsc", "Esc", W, true},
    MenuCommand{kCmdAddSound, MenuName::Item, "Add &Sound...\tF3", "F3", W, false},
    MenuCommand{kCmdAddTexture, MenuName::Item, "Add &Texture...\tF4", "F4", W, false},
    MenuCommand{kCmdRename, MenuName::Item, "&Rename Item\tF2", "F2", W, true},
    MenuCommand{kCmdDelete, MenuName::Item, "&Delete Item\tDel", "Del", KeyScope::List, false},
    MenuCommand{kCmdProperties, MenuName::Item, "&Properties...\tF7", "F7", W, false},
    MenuCommand{kCmdPatchInfo, MenuName::Item, "Patch &Info...\tCtrl+I", "Ctrl+I", W, true},
    MenuCommand{kCmdRefresh, MenuName::Item, "&Refresh\tF5", "F5", W, false},
    MenuCommand{kCmdHelp, MenuName::Help, "&Help...", "", W, false},
    MenuCommand{kCmdTipOfTheDay, MenuName::Help, "&Tip of the day...", "", W, false},
    MenuCommand{kCmdWebHome, MenuName::Help, "&Quillmark on the Web...", "", W, true},
    MenuCommand{kCmdWebDevelopment, MenuName::Help, "Quillmark &Development...", "", W, false},
    MenuCommand{kCmdAbout, MenuName::Help, "&About...", "", W, true},
};

}  // namespace

std::span<const MenuCommand> MenuCommands() {
    return kCommands;
}

const MenuCommand* FindMenuCommand(int id) {
    for (const MenuCommand& command : kCommands) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

const char* MenuTitle(MenuName menu) {
    switch (menu) {
        case MenuName::File:
            return "&File";
        case MenuName::Item:
            return "&Item";
        case MenuName::Help:
            return "&Help";
    }
    return "";
}

}  // namespace patchbench
