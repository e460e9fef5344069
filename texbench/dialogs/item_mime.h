// What TexBench offers for the selected rows when they go to the clipboard (Copy) or leave in
// a drag: the transfer block, and for a single row its picture (both) or its WAV bytes
// (clipboard only); a drag also offers the items as files, so that a file manager extracts
// them where they are dropped.
#pragma once

#include <QMimeData>
#include <QString>
#include <memory>
#include <span>

#include "texbench/browser/browser_model.h"

namespace texbench {

enum class ItemMimeUse { Clipboard, Drag };

// focusedRow: the model row that is selected and focused, -1 when none. For a drag the items'
// files are written into fileDirectory (an existing folder of ours; empty: no files). Null
// when no selected row holds an item.
std::unique_ptr<QMimeData> ItemMimeData(const BrowserModel& model,
                                        std::span<const int> selectedRows, int focusedRow,
                                        ItemMimeUse use, const QString& fileDirectory = {});

}  // namespace texbench
