#include "texbench/browser/item_transfer.h"

#include <algorithm>
#include <fstream>
#include <set>

#include "suite/item_kind.h"
#include "suite/transfer/transfer_block.h"
#include "texbench/browser/item_operations.h"
#include "texbench/imaging/rim_image.h"

namespace texbench {
namespace {

const ListRow* RowAt(const BrowserModel& model, int row) {
    const auto& rows = model.Rows();
    return row >= 0 && row < static_cast<int>(rows.size()) ? &rows[static_cast<std::size_t>(row)]
                                                           : nullptr;
}

}  // namespace

std::vector<std::uint8_t> TransferBlockOfRows(const BrowserModel& model,
                                              std::span<const int> rows) {
    std::vector<suite::TransferItem> items;
    for (int index : rows) {
        const ListRow* row = RowAt(model, index);
        if (row != nullptr && row->item != nullptr) {
            items.push_back({row->item->szPath, ItemBytes(*row->item)});
        }
    }
    if (items.empty()) {
        return {};
    }
    // A block that could not carry an item faithfully is not offered at all: half a
    // selection would look like all of it on the other side.
    return suite::BuildTransferBlock(items).bytes;
}

namespace {

// File systems that ignore letter case see "A.rim" and "a.rim" as one file.
std::string FoldedName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return folded;
}

std::string NumberedName(const std::string& name, int number) {
    const std::size_t dot = name.rfind('.');
    const std::string suffix = " (" + std::to_string(number) + ")";
    return dot == std::string::npos || dot == 0 ? name + suffix
                                                : name.substr(0, dot) + suffix + name.substr(dot);
}

bool WriteWhole(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

std::span<const std::uint8_t> ItemBytes(const FFLITEM& item) {
    if (item.lpData == nullptr) {
        return {};
    }
    return {item.lpData, item.dwSize};
}

std::vector<std::uint8_t> FirstPictureAsPackedDib(std::span<const std::uint8_t> itemBytes) {
    CRimImage picture;
    if (!picture.ParseForm(itemBytes)) {
        return {};
    }
    return picture.ToPackedDib();
}

RowsTransfer TransferOfRows(const BrowserModel& model, std::span<const int> selectedRows,
                            int focusedRow) {
    RowsTransfer transfer;
    transfer.block = TransferBlockOfRows(model, selectedRows);
    const ListRow* focused = RowAt(model, focusedRow);
    const bool single = selectedRows.size() == 1 && selectedRows.front() == focusedRow;
    if (transfer.block.empty() || !single || focused == nullptr || focused->item == nullptr) {
        return transfer;
    }
    const std::span<const std::uint8_t> bytes = ItemBytes(*focused->item);
    switch (suite::KindOfItem(focused->item)) {
        case suite::ItemKind::Image:
            transfer.packedDib = FirstPictureAsPackedDib(bytes);
            break;
        case suite::ItemKind::Sound:
            transfer.wav.assign(bytes.begin(), bytes.end());
            break;
        case suite::ItemKind::Other:
            break;
    }
    return transfer;
}

std::string SafeFileName(std::string_view itemName) {
    std::string name;
    for (char c : itemName) {
        const bool control = static_cast<unsigned char>(c) < 0x20;
        name += control || kForbiddenNameCharacters.find(c) != std::string_view::npos ? '_' : c;
    }
    if (std::all_of(name.begin(), name.end(), [](char c) { return c == '.'; })) {
        return "item";
    }
    return name;
}

std::vector<std::filesystem::path> WriteRowsAsFiles(const BrowserModel& model,
                                                    std::span<const int> rows,
                                                    const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> written;
    std::set<std::string> taken;
    for (int index : rows) {
        const ListRow* row = RowAt(model, index);
        if (row == nullptr || row->item == nullptr) {
            continue;
        }
        const std::string base = SafeFileName(row->name);
        std::string name = base;
        for (int number = 2; taken.count(FoldedName(name)) != 0; ++number) {
            name = NumberedName(base, number);
        }
        taken.insert(FoldedName(name));
        const std::filesystem::path file = directory / name;
        if (WriteWhole(file, ItemBytes(*row->item))) {
            written.push_back(file);
        }
    }
    return written;
}

}  // namespace texbench
