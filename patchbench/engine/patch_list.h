// The main list without a window: one row per patch item with its texts and icon, the row
// selection and focus, and sorting by column. The Qt list shows these rows; the editor's
// commands work on them.
#pragma once

#include <string>
#include <vector>

#include "patchlib/patchlib.h"

namespace patchbench {

struct PatchRow {
    KDZITEM* item = nullptr;  // the patch item the row shows; owned by PatchLib
    std::string label;
    std::string sizeText;
    std::string kindText;
    int icon = 6;
    bool selected = false;
};

enum class ListColumn { Name = 0, Size = 1, Type = 2 };

class PatchList {
  public:
    const std::vector<PatchRow>& Rows() const { return rows_; }
    int Count() const { return static_cast<int>(rows_.size()); }
    // The focused row, or -1.
    int Focused() const { return focused_; }

    void Clear();
    // Appends a row for the item with its texts; returns its index.
    int Append(KDZITEM* item);
    // Takes the row's label, size, kind and icon afresh from its item.
    void UpdateTexts(int row);
    // Shows `label` on the row (a label edit that was accepted).
    void SetLabel(int row, std::string label);
    void Remove(int row);
    // The row of that item, or -1.
    int FindRow(const KDZITEM* item) const;

    void SetSelected(int row, bool selected);
    void SetFocused(int row);
    // Selects and focuses only this row.
    void SelectOnly(int row);
    std::vector<int> SelectedRows() const;
    // The focused row when it is also selected, else -1.
    int FocusedSelected() const;

    // Ascending by the column's key, the same way every time; rows with equal keys keep their
    // order, and selection and focus stay with their rows.
    void Sort(ListColumn column);

  private:
    bool Valid(int row) const { return row >= 0 && row < Count(); }
    std::vector<PatchRow> rows_;
    int focused_ = -1;
};

}  // namespace patchbench
