#include "texbench/dialogs/item_mime.h"

#include <QFile>
#include <QList>
#include <QUrl>

#include "suite/qt/transfer_mime.h"
#include "texbench/browser/item_transfer.h"

namespace texbench {

std::unique_ptr<QMimeData> ItemMimeData(const BrowserModel& model,
                                        std::span<const int> selectedRows, int focusedRow,
                                        ItemMimeUse use, const QString& fileDirectory) {
    const RowsTransfer transfer = TransferOfRows(model, selectedRows, focusedRow);
    if (transfer.block.empty()) {
        return nullptr;
    }
    auto data = std::make_unique<QMimeData>();
    suite::PutTransferBlock(*data, transfer.block);
    if (!transfer.packedDib.empty()) {
        suite::PutPackedDib(*data, transfer.packedDib);
    }
    if (use == ItemMimeUse::Clipboard && !transfer.wav.empty()) {
        suite::PutWav(*data, transfer.wav);
    }
    if (use == ItemMimeUse::Drag && !fileDirectory.isEmpty()) {
        QList<QUrl> files;
        const std::filesystem::path directory(QFile::encodeName(fileDirectory).toStdString());
        for (const auto& file : WriteRowsAsFiles(model, selectedRows, directory)) {
            files.push_back(QUrl::fromLocalFile(QFile::decodeName(file.string().c_str())));
        }
        if (!files.isEmpty()) {
            data->setUrls(files);
        }
    }
    return data;
}

}  // namespace texbench
