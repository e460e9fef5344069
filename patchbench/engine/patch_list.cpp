#include "patchbench/engine/patch_list.h"

#include <algorithm>
#include <cctype>

#include "patchbench/engine/item_display.h"

namespace patchbench {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string NameKey(const KDZITEM* item) {
    return Lower(RowLabel(item->szName, item->lpszPath));
}

std::string TypeKey(const KDZITEM* item) {
    return Lower(KindSortKey(item->lpData, item->dwSize));
}

bool Less(ListColumn column, const PatchRow& a, const PatchRow& b) {
    if (a.item == nullptr || b.item == nullptr) {
        return a.item != nullptr && b.item == nullptr;
    }
    switch (column) {
        case ListColumn::Name:
            return NameKey(a.item) < NameKey(b.item);
        case ListColumn::Size:
            return a.item->dwSize < b.item->dwSize;
        case ListColumn::Type:
            return TypeKey(a.item) < TypeKey(b.item);
    }
    return false;
}

}  // namespace

void PatchList::Clear() {
    rows_.clear();
    focused_ = -1;
}

int PatchList::Append(KDZITEM* item) {
    PatchRow row;
    row.item = item;
    rows_.push_back(std::move(row));
    UpdateTexts(Count() - 1);
    return Count() - 1;
}

void PatchList::UpdateTexts(int row) {
    if (!Valid(row) || rows_[row].item == nullptr) {
        return;
    }
    PatchRow& target = rows_[row];
    const KDZITEM* item = target.item;
    const PatchItemKind kind = KindOfPatchData(item->lpData, item->dwSize);
    target.label = RowLabel(item->szName, item->lpszPath);
    target.sizeText = SizeText(item->dwSize);
    target.kindText = KindText(kind);
    target.icon = KindIcon(kind);
}

void PatchList::SetLabel(int row, std::string label) {
    if (Valid(row)) {
        rows_[row].label = std::move(label);
    }
}

void PatchList::Remove(int row) {
    if (!Valid(row)) {
        return;
    }
    rows_.erase(rows_.begin() + row);
    if (focused_ == row) {
        focused_ = -1;
    } else if (focused_ > row) {
        --focused_;
    }
}

int PatchList::FindRow(const KDZITEM* item) const {
    for (int row = 0; row < Count(); ++row) {
        if (rows_[row].item == item) {
            return row;
        }
    }
    return -1;
}

void PatchList::SetSelected(int row, bool selected) {
    if (Valid(row)) {
        rows_[row].selected = selected;
    }
}

void PatchList::SetFocused(int row) {
    focused_ = Valid(row) ? row : -1;
}

void PatchList::SelectOnly(int row) {
    for (PatchRow& each : rows_) {
        each.selected = false;
    }
    SetSelected(row, true);
    SetFocused(row);
}

std::vector<int> PatchList::SelectedRows() const {
    std::vector<int> selected;
    for (int row = 0; row < Count(); ++row) {
        if (rows_[row].selected) {
            selected.push_back(row);
        }
    }
    return selected;
}

int PatchList::FocusedSelected() const {
    return Valid(focused_) && rows_[focused_].selected ? focused_ : -1;
}

void PatchList::Sort(ListColumn column) {
    const KDZITEM* focusedItem = Valid(focused_) ? rows_[focused_].item : nullptr;
    std::stable_sort(rows_.begin(), rows_.end(),
                     [column](const PatchRow& a, const PatchRow& b) { return Less(column, a, b); });
    focused_ = focusedItem != nullptr ? FindRow(focusedItem) : -1;
}

}  // namespace patchbench
