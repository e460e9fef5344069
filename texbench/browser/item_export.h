// Export of list rows to files, without a screen: what the export dialog starts with and how
// its file name follows the chosen type, the file each item goes to, and the writing itself,
// raw or converted to a picture through the shared texture pipeline.
#pragma once

#include <span>
#include <string>

#include "inidoc/ini_document.h"
#include "suite/item_kind.h"
#include "suite/texture_pipeline.h"
#include "texbench/browser/browser_model.h"

namespace texbench {

// The filters (as "text|pattern|...||||") and titles by the current archive's kind; the
// filter index selects the same reader or writer whatever list was shown.
struct ExportDialogTexts {
    const char* filter;
    const char* title;
};
ExportDialogTexts ExportTextsFor(suite::ItemKind archiveKind);

// The extension the dialog's file name gets for a filter index: 1 is the item as stored
// (".wav" in a sound archive, else ".rim"), 2 to 6 the picture formats of
// suite::ImageFilters(); empty outside them.
std::string DialogExtension(int filterIndex, suite::ItemKind archiveKind);
// The dialog's type update: the name cut at its last "." with the index's extension added.
std::string WithDialogExtension(const std::string& name, int filterIndex,
                                suite::ItemKind archiveKind);

// What the user chose in the export dialog.
struct ExportChoice {
    std::string path;  // the file name with the chosen directory
    int filterIndex = 1;
    bool allFiles = false;
};

// Shows the export's advance; only exports of all files or of several rows use it.
class ExportProgress {
  public:
    virtual ~ExportProgress() = default;
    virtual void Begin(int count) = 0;
    virtual void ShowItem(const std::string& name) = 0;
    virtual void Step() = 0;
    virtual void End() = 0;
};

// The directory of a chosen path, with its trailing separator ("\" or "/").
std::string DirectoryOf(const std::string& path);

// The file an item goes to: the directory and the item's name, or the chosen path itself for
// one row; a converted export replaces the name's extension by the writer's.
std::string ExportTarget(const ExportChoice& choice, bool exactPath, const std::string& itemPath);

// Writes one item's bytes unchanged (index 1, or outside the picture formats), or its first
// picture with the index's writer; PNG (index 6) needs the codec. False when the item is no
// texture for a picture, or the file cannot be written.
bool ExportItem(const FFLITEM& item, int filterIndex, const std::string& target,
                suite::PictureCodec* codec = nullptr);

// The export after the dialog's OK: remembers the type and directory in the settings, writes
// every item of the list ("All Files") or of the selected rows in row order, overwriting
// existing files, and shows "Failed to export one or more files!" once when any failed.
// False when any failed.
bool ExportRows(const BrowserModel& model, CIniDocument& settings, const ExportChoice& choice,
                std::span<const int> selectedRows, ExportProgress& progress,
                suite::PictureCodec* codec = nullptr);

}  // namespace texbench
