// The patch editor's one document: the open patch, its file name and modified flag, the main
// list, and every command that works on them. Questions and messages go through the platform
// message-box service and file dialogs through an EditorFrontEnd, so that the editor runs in
// tests with scripted answers.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "packlib/packlib.h"
#include "patchbench/engine/patch_list.h"
#include "patchlib/patchlib.h"

namespace patchbench {

// The five header texts of a patch, as the patch information dialog shows them.
struct PatchHeaderTexts {
    std::string title;
    std::string version;
    std::string author;
    std::string copyright;
    std::string description;
};

// The windows the editor needs besides message boxes.
class EditorFrontEnd {
  public:
    virtual ~EditorFrontEnd() = default;
    // The file dialog for an existing patch; nothing when cancelled.
    virtual std::optional<std::string> AskPatchToOpen() = 0;
    // The save dialog, starting at the current path; nothing when cancelled.
    virtual std::optional<std::string> AskPatchToSaveAs(const std::string& currentPath) = 0;
    // The patch information dialog; nothing when cancelled.
    virtual std::optional<PatchHeaderTexts> EditPatchInfo(const PatchHeaderTexts& texts) = 0;
    // The "Convert OLP" file dialog for an existing OLP file; nothing when cancelled.
    virtual std::optional<std::string> AskOlpToConvert() { return std::nullopt; }
    virtual void Beep() = 0;
    virtual void ShowWaitCursor(bool) {}
};

class WaveFiles;

// Which commands can run now.
struct CommandStates {
    bool save = false;
    bool saveAs = false;
    bool patchInfo = false;
    bool install = false;
    bool itemCommands = false;  // Rename, Delete, Properties: a row has the focus
};

class PatchEditor {
  public:
    PatchEditor(const PATCHLIBEXPORT& patchLib, EditorFrontEnd& frontEnd);
    ~PatchEditor();
    PatchEditor(const PatchEditor&) = delete;
    PatchEditor& operator=(const PatchEditor&) = delete;

    // The start: opens `path` without the save question, or creates an empty patch when the
    // path is empty.
    void Start(const std::string& path);

    KDZPATCH* Patch() const { return patch_; }
    const std::string& Path() const { return path_; }
    bool Modified() const { return modified_; }
    PatchList& List() { return list_; }
    const PatchList& List() const { return list_; }

    // "Fastfile Patch Editor - [Untitled.kdz*]".
    std::string Title() const;
    CommandStates States() const;

    // Asks whether to save a modified patch; false when the action must not go on (Cancel, or
    // the save did not succeed).
    bool AskToSave();

    void New();
    // The file dialog, then the chosen patch.
    void Open();
    // Another program asks to open this patch: the save question first. False when the user
    // kept the current patch.
    bool OpenRequested(const std::string& path);
    bool Save();
    bool SaveAs();
    void EditPatchInfo();
    void Refresh();
    // Deletes the patch items of all selected rows, without a question.
    void DeleteSelected();
    // Whether the row's label may be edited; a refused edit beeps.
    bool CanEditLabel(int row) const;
    // The edited label becomes the item's name (at most 127 characters).
    void RenameRow(int row, const std::string& text);
    // Items arriving in a transfer block; a bad block, or one without an open patch, is ignored.
    void ReceiveItems(std::span<const unsigned char> block);
    void SortBy(ListColumn column) { list_.Sort(column); }
    // The properties dialog changed the row's item (its target paths).
    void ItemChanged(int row);
    // "Convert *.OLP...": a new patch (after the save question), then the items of the OLP
    // file chosen, read from the Fastfiles through `packLib`; the patch stays untitled and
    // modified when an item came in.
    void ConvertOlp(const PACKLIBEXPORT& packLib, WaveFiles& waves);

  private:
    void ClosePatch();
    bool CreateEmptyPatch();
    void OpenPath(const std::string& path);
    bool SaveToOwnPath();
    void SetModified(bool modified) { modified_ = modified && patch_ != nullptr; }
    void ReceiveRecord(const std::string& itemPath, std::span<const unsigned char> data,
                       bool& cancelled, int& lastTouched);

    const PATCHLIBEXPORT& lib_;
    EditorFrontEnd& frontEnd_;
    KDZPATCH* patch_ = nullptr;
    std::string path_;
    bool modified_ = false;
    PatchList list_;
};

// The file part of a path: after its last separator ("\" or "/").
std::string FilePart(const std::string& path);

}  // namespace patchbench
