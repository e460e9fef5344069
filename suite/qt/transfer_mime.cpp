#include "suite/qt/transfer_mime.h"

#include <QMimeData>
#include <QStringList>

#include "suite/transfer/transfer_block.h"

namespace suite {
namespace {

constexpr std::size_t kBitmapInfoHeaderBytes = 40;
constexpr std::size_t kFileHeaderBytes = 14;

QByteArray Bytes(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// The types the block is offered under, the suite's own first.
QStringList BlockTypes() {
    QStringList types{QString::fromLatin1(kTransferMimeType)};
#if defined(Q_OS_WIN)
    types << QStringLiteral("application/x-qt-windows-mime;value=\"%1\"")
                 .arg(QString::fromLatin1(kTransferFormatName));
#endif
    return types;
}

std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void PutU32(QByteArray& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.append(static_cast<char>((value >> shift) & 0xFFu));
    }
}

}  // namespace

void PutTransferBlock(QMimeData& data, std::span<const std::uint8_t> block) {
    const QByteArray bytes = Bytes(block);
    for (const QString& type : BlockTypes()) {
        data.setData(type, bytes);
    }
}

bool HoldsTransferBlock(const QMimeData* data) {
    if (data == nullptr) {
        return false;
    }
    for (const QString& type : BlockTypes()) {
        if (data->hasFormat(type)) {
            return true;
        }
    }
    return false;
}

QByteArray TransferBlockOf(const QMimeData* data) {
    if (data == nullptr) {
        return {};
    }
    for (const QString& type : BlockTypes()) {
        if (data->hasFormat(type)) {
            return data->data(type);
        }
    }
    return {};
}

// A packed DIB is a bitmap file without its 14-byte file header; the header's one
// non-constant field, where the rows begin, follows from the information header and the
// colour table that the DIB carries.
QImage ImageOfPackedDib(std::span<const std::uint8_t> dib) {
    if (dib.size() < kBitmapInfoHeaderBytes) {
        return {};
    }
    const std::uint32_t headerBytes = U32At(dib, 0);
    const unsigned bits = static_cast<unsigned>(dib[14]) | static_cast<unsigned>(dib[15]) << 8;
    std::uint64_t colors = U32At(dib, 32);
    if (colors == 0 && bits <= 8) {
        colors = std::uint64_t{1} << bits;
    }
    // Bit-field masks follow a 40-byte information header.
    constexpr std::uint32_t kBitFields = 3;
    const std::uint64_t masks =
        U32At(dib, 16) == kBitFields && headerBytes == kBitmapInfoHeaderBytes ? 12 : 0;
    const std::uint64_t rowsAt = kFileHeaderBytes + std::uint64_t{headerBytes} + masks + colors * 4;
    if (headerBytes < kBitmapInfoHeaderBytes || rowsAt > kFileHeaderBytes + dib.size()) {
        return {};
    }
    QByteArray file("BM");
    PutU32(file, static_cast<std::uint32_t>(kFileHeaderBytes + dib.size()));
    PutU32(file, 0);
    PutU32(file, static_cast<std::uint32_t>(rowsAt));
    file.append(Bytes(dib));
    QImage image;
    return image.loadFromData(file, "BMP") ? image : QImage();
}

bool PutPackedDib(QMimeData& data, std::span<const std::uint8_t> dib) {
    const QImage image = ImageOfPackedDib(dib);
    if (image.isNull()) {
        return false;
    }
    data.setImageData(image);
    return true;
}

void PutWav(QMimeData& data, std::span<const std::uint8_t> wav) {
    data.setData(QString::fromLatin1(kWavMimeType), Bytes(wav));
}

}  // namespace suite
