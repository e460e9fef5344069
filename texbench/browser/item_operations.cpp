#include "texbench/browser/item_operations.h"

#include <algorithm>
#include <string_view>

#include "platform/message_box.h"
#include "texbench/browser/browser_texts.h"

namespace texbench {
namespace {

bool Ask(const char* question, qm::MessageBoxButtons buttons = qm::MessageBoxButtons::YesNo) {
    return qm::ShowMessageBox(question, kProductName, buttons, qm::MessageBoxIcon::Question) ==
           qm::MessageBoxResult::Yes;
}

void Refuse(const char* text) {
    qm::ShowMessageBox(text, kProductName, qm::MessageBoxButtons::Ok, qm::MessageBoxIcon::Error);
}

// The change is in memory only when the save fails; the user must not take it for done.
void SaveOrSay(const BrowserModel& model) {
    if (!model.SaveCurrentArchive()) {
        FFLARCHIVE* archive = model.CurrentArchive();
        const char* path = archive != nullptr ? model.Lib().FFLGetPath(archive) : nullptr;
        qm::ShowMessageBox(kSaveFailed, kProductName, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Error, path != nullptr ? path : "");
    }
}

bool IsRow(const BrowserModel& model, int row) {
    return row >= 0 && row < static_cast<int>(model.Rows().size());
}

std::string_view FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

ItemCommandResult DeleteRows(BrowserModel& model, const CIniDocument& settings,
                             std::span<const int> selectedRows, int focusedRow) {
    ItemCommandResult result;
    FFLARCHIVE* archive = model.CurrentArchive();
    std::vector<FFLITEM*> doomed;
    for (int row : selectedRows) {
        if (IsRow(model, row) && model.Rows()[static_cast<std::size_t>(row)].item != nullptr) {
            doomed.push_back(model.Rows()[static_cast<std::size_t>(row)].item);
        }
    }
    if (archive == nullptr || selectedRows.empty()) {
        result.beep = true;
        return result;
    }
    if (ReadInt(settings, kConfirmDelete) > 0 && !Ask(kDeleteQuestion)) {
        return result;
    }
    const bool focusSelected =
        std::find(selectedRows.begin(), selectedRows.end(), focusedRow) != selectedRows.end();
    // Two rows cannot hold one item, but a caller's list may name a row twice.
    std::sort(doomed.begin(), doomed.end());
    doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
    for (FFLITEM* item : doomed) {
        model.Lib().FFLDeleteItem(archive, item);
    }
    SaveOrSay(model);
    model.FillList();
    result.listRefilled = true;
    const int count = static_cast<int>(model.Rows().size());
    if (focusSelected) {
        if (count > 0) {
            result.focusedRow = std::min(focusedRow, count - 1);
            result.selectedRows = {result.focusedRow};
        }
    } else {
        for (int row = 0; row < count; ++row) {
            result.selectedRows.push_back(row);
        }
    }
    return result;
}

ItemCommandResult RenameRow(BrowserModel& model, int row, const std::string& newName) {
    ItemCommandResult result;
    FFLARCHIVE* archive = model.CurrentArchive();
    if (archive == nullptr || !IsRow(model, row)) {
        return result;
    }
    const ListRow& edited = model.Rows()[static_cast<std::size_t>(row)];
    FFLITEM* item = edited.item;
    if (item == nullptr) {
        return result;
    }
    if (newName.find_first_of(kForbiddenNameCharacters) != std::string::npos) {
        Refuse(kForbiddenCharacters);
        return result;
    }
    // Byte for byte: a change of letter case is a rename. An empty name would leave the item
    // named after its folder.
    if (newName.empty() || newName == edited.name) {
        return result;
    }
    const std::string newPath = std::string(FolderOf(edited.path)) + newName;
    if (newPath.size() >= FFL_MAX_PATH) {
        Refuse(kNameTooLong);
        return result;
    }
    const PACKLIBEXPORT& lib = model.Lib();
    FFLITEM* other = lib.FFLFindItem(archive, newName.c_str(), true);
    if (other != nullptr && other != item) {
        if (!Ask(kReplaceOnRename)) {
            return result;
        }
        lib.FFLDeleteItem(archive, other);
    }
    if (!lib.FFLSetItemPath(item, newPath.c_str())) {
        Refuse(kNameTooLong);
        return result;
    }
    SaveOrSay(model);
    model.FillList();
    result.listRefilled = true;
    result.focusedRow = model.RowOfItem(item);
    if (result.focusedRow >= 0) {
        result.selectedRows = {result.focusedRow};
    }
    return result;
}

}  // namespace texbench
