// The item commands of TexBench's main dialog that change the current archive, without a
// screen: each asks its questions through the platform message-box service, saves the archive
// at once, refills the model's list and says which rows the list should select afterwards.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "inidoc/ini_document.h"
#include "texbench/browser/browser_model.h"

namespace texbench {

// What the dialog does once a command has run.
struct ItemCommandResult {
    // The command could not start (no archive, no row): the dialog beeps.
    bool beep = false;
    // The archive changed and the model's list was refilled: the dialog shows the new rows,
    // selects `selectedRows` and gives `focusedRow` (-1: none) the focus.
    bool listRefilled = false;
    std::vector<int> selectedRows;
    int focusedRow = -1;
};

// Delete: asks "Confirm Delete" when that setting is on, deletes the items of the selected
// rows and saves. The focused row's index stays selected (the last row when the list got
// shorter); without a focused selected row every remaining row becomes selected.
ItemCommandResult DeleteRows(BrowserModel& model, const CIniDocument& settings,
                             std::span<const int> selectedRows, int focusedRow);

// The end of a row's label edit with the new name. Refuses (nothing changes, no refill) a name
// with a character no file name may hold, the same name, or a path of 260 characters or more;
// a name that another item has is taken only when the user agrees to replace that item. On
// success the archive is saved and the renamed row is selected and focused.
ItemCommandResult RenameRow(BrowserModel& model, int row, const std::string& newName);

// The characters no item name may hold, as the rename message lists them.
inline constexpr std::string_view kForbiddenNameCharacters = "\\/:*?\"<>|";

}  // namespace texbench
