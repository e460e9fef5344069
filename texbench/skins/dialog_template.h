// A dialog template as data: the dialog's size and each control's id, kind, place and text in
// dialog units. The built-in main dialog and every skin's main dialog are read from the same
// text, so one layout engine serves both looks.
//
// The text, one statement a line ("#" starts a comment line):
//   DIALOG <width> <height>
//   CONTROL <id> <kind> <x> <y> <width> <height> [OWNERDRAW] ["text"]
// Kinds: label, tree, list, preview, info, button. Id 0 is a control nobody addresses.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace texbench {

struct ControlTemplate {
    int id = 0;
    std::string kind;
    int x = 0, y = 0, width = 0, height = 0;
    bool ownerDraw = false;
    std::string text;
};

struct DialogTemplate {
    int width = 0;
    int height = 0;
    std::vector<ControlTemplate> controls;

    const ControlTemplate* Find(int id) const;
};

// Null when a line cannot be read or a number lies outside 0..65535.
std::optional<DialogTemplate> ParseDialogTemplate(std::string_view text);

// The main dialog's template: it loads when it parses and holds each control the dialog needs
// (tree 1010, list 1011, preview 1005, info line 1006 and the six buttons) with its kind.
std::optional<DialogTemplate> ParseMainDialogTemplate(std::string_view text);

// The program's own main dialog (template 102), the system look.
std::string_view BuiltInMainDialogLayout();

}  // namespace texbench
