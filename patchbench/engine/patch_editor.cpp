#include "patchbench/engine/patch_editor.h"

#include <algorithm>
#include <cstring>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/olp_conversion.h"
#include "platform/message_box.h"
#include "suite/transfer/transfer_block.h"

namespace patchbench {
namespace {

using qm::MessageBoxButtons;
using qm::MessageBoxIcon;
using qm::MessageBoxResult;

MessageBoxResult Tell(const std::string& text, MessageBoxButtons buttons, MessageBoxIcon icon) {
    return qm::ShowMessageBox(text, kProgramTitle, buttons, icon);
}

void Inform(const char* text) {
    Tell(text, MessageBoxButtons::Ok, MessageBoxIcon::Information);
}

std::string WithArgument(std::string text, const std::string& argument) {
    const std::size_t at = text.find("%1");
    if (at != std::string::npos) {
        text.replace(at, 2, argument);
    }
    return text;
}

// Copies a text into a fixed header field, cut to what the field holds.
void SetField(char (&field)[KDZ_MAX_TEXT], const std::string& text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

class WaitCursor {
  public:
    explicit WaitCursor(EditorFrontEnd& frontEnd) : frontEnd_(frontEnd) {
        frontEnd_.ShowWaitCursor(true);
    }
    ~WaitCursor() { frontEnd_.ShowWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    EditorFrontEnd& frontEnd_;
};

}  // namespace

std::string FilePart(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

PatchEditor::PatchEditor(const PATCHLIBEXPORT& patchLib, EditorFrontEnd& frontEnd)
    : lib_(patchLib), frontEnd_(frontEnd) {}

PatchEditor::~PatchEditor() {
    ClosePatch();
}

void PatchEditor::Start(const std::string& path) {
    if (path.empty()) {
        if (!CreateEmptyPatch()) {
            Inform(kCreateFailedText);
        }
        SetModified(false);
        return;
    }
    OpenPath(path);
}

std::string PatchEditor::Title() const {
    const std::string name = path_.empty() ? std::string(kUntitledName) : FilePart(path_);
    return std::string(kProgramTitle) + " - [" + name + (modified_ ? "*" : "") + "]";
}

CommandStates PatchEditor::States() const {
    CommandStates states;
    const bool open = patch_ != nullptr;
    states.save = open && modified_;
    states.saveAs = open;
    states.patchInfo = open;
    states.install = open && !path_.empty();
    states.itemCommands = list_.Focused() >= 0;
    return states;
}

bool PatchEditor::AskToSave() {
    if (!modified_) {
        return true;
    }
    const std::string name = path_.empty() ? std::string(kUntitledName) : FilePart(path_);
    switch (Tell(WithArgument(kSaveQuestionText, name), MessageBoxButtons::YesNoCancel,
                 MessageBoxIcon::Question)) {
        case MessageBoxResult::Yes:
            Save();
            return !modified_;
        case MessageBoxResult::No:
            return true;
        default:
            return false;
    }
}

void PatchEditor::New() {
    if (!AskToSave()) {
        return;
    }
    list_.Clear();
    path_.clear();
    ClosePatch();
    if (!CreateEmptyPatch()) {
        Inform(kCreateFailedText);
    }
    SetModified(false);
}

void PatchEditor::Open() {
    if (!AskToSave()) {
        return;
    }
    const auto chosen = frontEnd_.AskPatchToOpen();
    if (chosen) {
        OpenPath(*chosen);
    }
}

bool PatchEditor::OpenRequested(const std::string& path) {
    if (!AskToSave()) {
        return false;
    }
    OpenPath(path);
    return true;
}

void PatchEditor::OpenPath(const std::string& path) {
    {
        WaitCursor wait(frontEnd_);
        ClosePatch();
        list_.Clear();
        patch_ = lib_.KDZOpenPatch(path.c_str());
    }
    if (patch_ != nullptr) {
        path_ = path;
        Refresh();
    } else {
        Inform(kOpenFailedText);
        path_.clear();
        if (!CreateEmptyPatch()) {
            Inform(kCreateFailedText);
        }
    }
    SetModified(false);
}

bool PatchEditor::Save() {
    if (patch_ == nullptr) {
        frontEnd_.Beep();
        return false;
    }
    if (path_.empty()) {
        return SaveAs();
    }
    return SaveToOwnPath();
}

bool PatchEditor::SaveAs() {
    if (patch_ == nullptr) {
        frontEnd_.Beep();
        return false;
    }
    const auto chosen = frontEnd_.AskPatchToSaveAs(path_);
    if (!chosen) {
        return false;
    }
    path_ = *chosen;
    // A name the patch cannot take must not save it under its old name instead.
    if (!lib_.KDZSetPath(patch_, path_.c_str())) {
        Inform(kSaveFailedText);
        return false;
    }
    return SaveToOwnPath();
}

bool PatchEditor::SaveToOwnPath() {
    bool saved = false;
    {
        WaitCursor wait(frontEnd_);
        saved = lib_.KDZSavePatch(patch_, nullptr);
    }
    if (!saved) {
        Inform(kSaveFailedText);
        return false;
    }
    SetModified(false);
    return true;
}

void PatchEditor::EditPatchInfo() {
    if (patch_ == nullptr) {
        frontEnd_.Beep();
        return;
    }
    const PatchHeaderTexts current{patch_->szTitle, patch_->szVersion, patch_->szAuthor,
                                   patch_->szCopyright, patch_->szDescription};
    const auto edited = frontEnd_.EditPatchInfo(current);
    if (!edited) {
        return;
    }
    SetField(patch_->szTitle, edited->title);
    SetField(patch_->szVersion, edited->version);
    SetField(patch_->szAuthor, edited->author);
    SetField(patch_->szCopyright, edited->copyright);
    SetField(patch_->szDescription, edited->description);
    SetModified(true);
}

void PatchEditor::Refresh() {
    list_.Clear();
    if (patch_ == nullptr) {
        return;
    }
    for (KDZITEM* item = lib_.KDZGetFirstItem(patch_); item != nullptr;
         item = lib_.KDZGetNextItem(item)) {
        list_.Append(item);
    }
}

void PatchEditor::DeleteSelected() {
    const std::vector<int> selected = list_.SelectedRows();
    if (selected.empty() || patch_ == nullptr) {
        return;
    }
    const int remembered = list_.FocusedSelected();
    for (auto row = selected.rbegin(); row != selected.rend(); ++row) {
        lib_.KDZDeleteItem(patch_, list_.Rows()[*row].item);
        list_.Remove(*row);
    }
    if (remembered >= 0 && list_.Count() > 0) {
        list_.SelectOnly(std::min(remembered, list_.Count() - 1));
    }
    SetModified(true);
}

bool PatchEditor::CanEditLabel(int row) const {
    return patch_ != nullptr && row >= 0 && row < list_.Count() &&
           list_.Rows()[row].item != nullptr;
}

void PatchEditor::RenameRow(int row, const std::string& text) {
    if (!CanEditLabel(row)) {
        return;
    }
    KDZITEM* item = list_.Rows()[row].item;
    if (!lib_.KDZSetItemName(item, text.c_str())) {
        return;
    }
    list_.UpdateTexts(row);
    SetModified(true);
}

void PatchEditor::ReceiveItems(std::span<const unsigned char> block) {
    if (patch_ == nullptr) {
        return;
    }
    // A damaged block is refused whole, so that no front half of it is added.
    const suite::ParsedTransferBlock parsed = suite::ParseTransferBlock(block);
    if (parsed.status != suite::TransferBlockStatus::Ok) {
        return;
    }
    bool cancelled = false;
    int lastTouched = -1;
    for (const suite::TransferRecord& record : parsed.records) {
        if (cancelled) {
            break;
        }
        ReceiveRecord(std::string(record.path), record.data, cancelled, lastTouched);
    }
    if (modified_ && lastTouched >= 0) {
        list_.SelectOnly(lastTouched);
    }
}

void PatchEditor::ReceiveRecord(const std::string& itemPath, std::span<const unsigned char> data,
                                bool& cancelled, int& lastTouched) {
    if (data.empty() || itemPath.empty()) {
        return;
    }
    const auto size = static_cast<std::uint32_t>(data.size());
    KDZITEM* existing = lib_.KDZFindItem(patch_, itemPath.c_str(), true);
    int row = -1;
    if (existing != nullptr) {
        switch (Tell(WithArgument(kReplaceQuestionText, itemPath), MessageBoxButtons::YesNoCancel,
                     MessageBoxIcon::Question)) {
            case MessageBoxResult::Yes:
                break;
            case MessageBoxResult::No:
                return;
            default:
                cancelled = true;
                return;
        }
        if (!lib_.KDZSetItemData(existing, data.data(), size)) {
            return;
        }
        row = list_.FindRow(existing);
    } else {
        KDZITEM* added = lib_.KDZAddItem(patch_, itemPath.c_str(), data.data(), size);
        if (added == nullptr) {
            return;
        }
        row = list_.Append(added);
    }
    list_.UpdateTexts(row);
    SetModified(true);
    if (row >= 0) {
        lastTouched = row;
    }
}

void PatchEditor::ItemChanged(int row) {
    if (row >= 0 && row < list_.Count()) {
        list_.UpdateTexts(row);
    }
    SetModified(true);
}

void PatchEditor::ConvertOlp(const PACKLIBEXPORT& packLib, WaveFiles& waves) {
    New();
    // Cancelled or not saved: the patch the user has stays as it is.
    if (patch_ == nullptr || modified_) {
        return;
    }
    const auto chosen = frontEnd_.AskOlpToConvert();
    if (!chosen) {
        return;
    }
    int added = 0;
    {
        WaitCursor wait(frontEnd_);
        added = ConvertOlpFile(*chosen, patch_, packLib, lib_, waves);
    }
    SetModified(added > 0);
    Refresh();
}

void PatchEditor::ClosePatch() {
    if (patch_ != nullptr) {
        lib_.KDZClosePatch(patch_);
        patch_ = nullptr;
    }
    list_.Clear();
    modified_ = false;
}

bool PatchEditor::CreateEmptyPatch() {
    patch_ = lib_.KDZCreatePatch(nullptr);
    return patch_ != nullptr;
}

}  // namespace patchbench
