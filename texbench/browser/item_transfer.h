// What TexBench hands on when items leave it by Copy, by a drag or by Add to Patch, without a
// screen: the transfer block of the selected rows, the picture or sound of a single row, and
// the items as files for a drop on a file manager.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "packlib/packlib.h"
#include "texbench/browser/browser_model.h"

namespace texbench {

// The bytes of the selected rows, in the forms the clipboard and a drag carry.
struct RowsTransfer {
    // The transfer block of the rows in row order; empty when no selected row holds an item
    // (then there is nothing to copy, drag or send).
    std::vector<std::uint8_t> block;
    // When exactly one row is selected and focused: a texture's first picture as a packed DIB,
    // or a sound's WAV bytes. Empty otherwise.
    std::vector<std::uint8_t> packedDib;
    std::vector<std::uint8_t> wav;
};

// The transfer block of the rows in row order; empty when none of them holds an item.
std::vector<std::uint8_t> TransferBlockOfRows(const BrowserModel& model, std::span<const int> rows);

// focusedRow: the model row that is selected and focused, -1 when none.
RowsTransfer TransferOfRows(const BrowserModel& model, std::span<const int> selectedRows,
                            int focusedRow);

// The first picture of a texture item as a packed DIB; empty when the bytes hold none.
std::vector<std::uint8_t> FirstPictureAsPackedDib(std::span<const std::uint8_t> itemBytes);

// An item's bytes; empty when it has none.
std::span<const std::uint8_t> ItemBytes(const FFLITEM& item);

// A file name for an item's name that stays inside the directory it is written to: every
// character a file name may not hold (or that climbs out of a folder) becomes "_", and a
// name of nothing but dots, or none at all, becomes "item".
std::string SafeFileName(std::string_view itemName);

// Writes the items of the rows, raw, as files directly in `directory` (which must exist),
// named after the items; a name that is already taken gets " (2)", " (3)" ... before its
// extension. Returns the files written, in row order; a file that cannot be written is left
// out.
std::vector<std::filesystem::path> WriteRowsAsFiles(const BrowserModel& model,
                                                    std::span<const int> rows,
                                                    const std::filesystem::path& directory);

}  // namespace texbench
