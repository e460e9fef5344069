// The headless browser of TexBench: which database or Fastfile is open, the folder tree built
// from it, the item list of the chosen Fastfile, the info line of a row and the commands that
// switch between databases and Fastfiles. The main dialog shows this state; tests drive it
// directly. Every PackLib call goes through the export record.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "inidoc/ini_document.h"
#include "packlib/packlib.h"
#include "suite/item_kind.h"
#include "texbench/browser/folder_tree.h"
#include "texbench/browser/item_preview.h"

namespace texbench {

// Database mode: a database is open and the open archive follows the tree selection.
// Single-Fastfile mode: no database, one archive opened by itself. Empty: neither.
enum class BrowserMode { Empty, Database, SingleFastfile };

struct ListRow {
    std::string name;  // the item path after its last "\"
    int icon;          // 4, 5 or 6 by the item's kind
    FFLITEM* item;
    std::string path;  // the item's full path, for the row's tooltip
};

class BrowserModel {
  public:
    BrowserModel(const PACKLIBEXPORT& packLib, CIniDocument& settings);
    ~BrowserModel();  // closes the open archive and the database
    BrowserModel(const BrowserModel&) = delete;
    BrowserModel& operator=(const BrowserModel&) = delete;

    // Opens what the dialog's command line names, else the default database. False when even
    // that failed (the caller then shows "Failed to open the Fastfile database!"). The tree
    // is not built yet.
    bool OpenFromCommandLine(std::string_view commandLine);

    // Rebuilds the tree from the database or the open archive, then expands and selects the
    // first root (which refills the list).
    void BuildTree();
    // The selection moved to this node (null: nothing selected). In database mode the
    // previous Fastfile is closed and the node's one opened. Refills the list.
    void SelectNode(FolderNode* node);
    // Rebuilds the rows from the current archive, sorted by name.
    void FillList();

    // The Open menu's "Database": close everything, open the default database, rebuild.
    void OpenDefaultDatabase();
    // Where "Fastfile..." starts browsing: "Fastfile Path", else the Fastfile directory.
    std::string FastfileDialogDirectory() const;
    // "Fastfile..." after the user chose a file: remember its directory, open it (failing
    // that, the default database) and rebuild.
    void OpenFastfile(const std::string& fileName);
    // Another program hands over a Fastfile (text, possibly NUL-terminated). False, changing
    // nothing, when it sent nothing.
    bool OpenFromOtherProgram(std::span<const unsigned char> text);
    // What the last open command failed to open and why, for the user, or empty when it
    // opened what was named (or named nothing); taking it clears it. The model falls back to
    // the default database either way, which the caller should say.
    std::string TakeOpenFailure() { return std::exchange(openFailure_, {}); }
    // Reopens the database or Fastfile after the files changed and goes back to the same
    // tree node. Returns the index of the row named focusedRowText in the refilled list, or
    // -1 when there is none.
    int Reload(std::string_view focusedRowText);

    // The "Folder Properties" box text, or nothing when the command does not apply (no
    // node, a node with children, or no current archive).
    std::optional<std::string> FolderPropertiesText() const;
    // The info line and picture for a row's item (null: "[no selection]"), by "Fix BPP".
    ItemPreview PreviewRow(const ListRow* row) const;
    // The first row whose name equals the text after its last "\", ignoring letter case as
    // the list control's own search does; -1 when there is none.
    int FindRow(std::string_view pathOrName) const;

    // Saves the current archive to its own file. False when there is none or it cannot be
    // written.
    bool SaveCurrentArchive() const;
    // The row whose item is this one, or -1.
    int RowOfItem(const FFLITEM* item) const;
    const PACKLIBEXPORT& Lib() const { return lib_; }

    BrowserMode Mode() const;
    FFLDB* Database() const { return database_; }
    FFLARCHIVE* OpenArchive() const { return archive_; }
    // The archive whose items the list shows and the item commands work on.
    FFLARCHIVE* CurrentArchive() const;
    suite::ItemKind CurrentArchiveKind() const { return suite::KindOfArchive(CurrentArchive()); }
    const FolderTree& Tree() const { return tree_; }
    FolderNode* SelectedNode() const { return selected_; }
    const std::vector<ListRow>& Rows() const { return rows_; }
    FFLDBITEM* SoundEntry() { return &soundEntry_; }
    bool ResetZoomSetting() const;

  private:
    void CloseAll();
    void CloseArchive();
    void OpenDefaultDatabaseOnly();
    void BuildDatabaseTree();
    void BuildArchiveTree();
    const char* FastfileOfEntry(FFLDBITEM* entry) const;
    FFLARCHIVE* OpenFastfileOfEntry(const char* file) const;
    void NoteOpenFailure(const std::string& path, bool database);
    bool SoundsShown() const;

    const PACKLIBEXPORT& lib_;
    CIniDocument& settings_;
    FFLDB* database_ = nullptr;
    FFLARCHIVE* archive_ = nullptr;
    // Set while a database opened from a file is open: its Fastfiles are looked up beside it.
    std::string databaseDirectory_;
    std::string openFailure_;
    FFLDBITEM soundEntry_{};
    FolderTree tree_;
    FolderNode* selected_ = nullptr;
    std::vector<ListRow> rows_;
};

}  // namespace texbench
