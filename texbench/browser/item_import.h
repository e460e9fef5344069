// Import, drop and paste into the current archive, without a screen: files are read into item
// bytes (whole, or converted from a picture into a texture), stored under their names (over
// an item of that name in any folder, else beside the archive's first item), the archive is
// saved at once and the list is refilled with the last name handled selected. Every question
// goes through the platform message-box service.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "inidoc/ini_document.h"
#include "packlib/packlib.h"
#include "suite/item_kind.h"
#include "suite/texture_pipeline.h"
#include "texbench/browser/browser_model.h"
#include "texbench/browser/item_operations.h"

namespace texbench {

// Which file dialog Import opens for the current archive's kind, with its filter list (as
// "text|pattern|...||||") and title. The filter index chosen there picks the reader
// (ReaderForIndex) whatever list was shown.
enum class ImportDialogKind { Sound, Image, Plain };
struct ImportDialogTexts {
    ImportDialogKind dialog;
    const char* filter;
    const char* title;
};
ImportDialogTexts ImportTextsFor(suite::ItemKind archiveKind);

// How a file becomes item bytes: read whole, or loaded as a picture of one of the picture
// formats and made into a texture.
enum class ItemReader { Raw, Iff, Bmp, Tga, Png };
// 1 (and anything outside 2 to 6) reads whole; 2 IFF, 3 and 4 BMP, 5 TGA, 6 PNG. The plain
// dialog's list has WAV for its second entry, which is read whole there.
ItemReader ReaderForIndex(int filterIndex, ImportDialogKind dialog = ImportDialogKind::Image);
// A dropped file by the last four characters of its path, letter case ignored: ".wav" and
// ".rim" whole, ".iff", ".bmp", ".tga", ".png" converted; nothing for any other ending (a
// ".dib" among them).
std::optional<ItemReader> ReaderForDroppedFile(std::string_view path);

// What new items are put behind: the path of the archive's first item up to and including its
// last "\" (empty without items or without a "\").
std::string FolderPrefix(const PACKLIBEXPORT& lib, FFLARCHIVE* archive);

// What "Import Path" remembers of a chosen file: the path before its last separator, or the
// whole path when it has none or only one at its start.
std::string ImportDirectoryOf(const std::string& path);

// Import after the dialog's OK with the chosen files in the dialog's order: remembers the
// filter index and the first file's directory, reads each file by the index and stores it.
// Beeps without a current archive. Pictures the suite's own classes refuse, and PNG, are read
// by the codec when one is given (the dialogs pass Qt's).
ItemCommandResult ImportFiles(BrowserModel& model, CIniDocument& settings,
                              std::span<const std::string> files, int filterIndex,
                              suite::PictureCodec* codec = nullptr);

// Files dropped on the dialog, by their endings; others are skipped without a word. Leaves
// the import settings alone. Beeps without a current archive.
ItemCommandResult DropFiles(BrowserModel& model, const CIniDocument& settings,
                            std::span<const std::string> files,
                            suite::PictureCodec* codec = nullptr);

// A transfer block from the clipboard. Nothing happens without a current archive, for a block
// that is not one (no "RFFL") or holds no records; a damaged block is refused whole, with a
// message, before any record is stored.
ItemCommandResult PasteBlock(BrowserModel& model, const CIniDocument& settings,
                             std::span<const std::uint8_t> block);

}  // namespace texbench
