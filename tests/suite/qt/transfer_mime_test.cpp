// Where items sit in a drag's or the clipboard's data: the block comes back byte for byte and
// is found only under its own type, a packed DIB becomes the same picture the imaging code
// draws (4, 8 and 24 bits, padded rows), and bytes that are no DIB give no picture.
#include "suite/qt/transfer_mime.h"

#include <QMimeData>
#include <QtTest>
#include <cstdlib>
#include <vector>

#include "suite/transfer/transfer_block.h"
#include "texbench/imaging/image_data.h"
#include "texbench/imaging/packed_dib.h"
#include "texbench/imaging/qt/qimage_bridge.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray AsQt(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// A width x height picture whose every pixel differs from its neighbours.
IMAGEDATA Picture(unsigned width, unsigned height, unsigned depth) {
    IMAGEDATA image{};
    image.header.wWidth = static_cast<std::uint16_t>(width);
    image.header.wHeight = static_cast<std::uint16_t>(height);
    image.header.bDepth = static_cast<std::uint8_t>(depth);
    image.header.bAlign = 32;
    if (depth <= 8) {
        image.header.dwColorsUsed = 1u << depth;
        image.lpPalette = ImgCreatePalette(depth, false);
        image.dwPaletteEntries = 1u << depth;
        for (unsigned i = 0; i < image.dwPaletteEntries * 3; ++i) {
            image.lpPalette[i] = static_cast<std::uint8_t>(i * 37 + 11);
        }
    }
    const auto stride = static_cast<std::uint32_t>(ImgStride(width, depth, 32));
    image.dwPixelBytes = stride * height;
    image.lpPixels = static_cast<std::uint8_t*>(std::calloc(image.dwPixelBytes, 1));
    for (unsigned y = 0; y < height; ++y) {
        std::uint8_t* row = image.lpPixels + y * stride;
        for (unsigned x = 0; x < width; ++x) {
            const unsigned value = x * 3 + y * 5;
            if (depth == 4) {
                row[x / 2] |= static_cast<std::uint8_t>((value & 15u) << (x % 2 == 0 ? 4 : 0));
            } else if (depth == 8) {
                row[x] = static_cast<std::uint8_t>(value);
            } else {
                row[x * 3] = static_cast<std::uint8_t>(value * 7);
                row[x * 3 + 1] = static_cast<std::uint8_t>(value * 13);
                row[x * 3 + 2] = static_cast<std::uint8_t>(value * 29);
            }
        }
    }
    return image;
}

}  // namespace

class TransferMimeTest : public QObject {
    Q_OBJECT

  private slots:
    void blockComesBackByteForByte() {
        std::string path = "graphics\\wall.rim";
        const Bytes item = {0, 1, 2, 0xFF, 0};
        const suite::TransferItem items[] = {{path, item}};
        const Bytes block = suite::BuildTransferBlock(items).bytes;
        QMimeData data;
        suite::PutTransferBlock(data, block);
        QVERIFY(suite::HoldsTransferBlock(&data));
        QCOMPARE(data.data(suite::kTransferMimeType), AsQt(block));
        QCOMPARE(suite::TransferBlockOf(&data), AsQt(block));

        QMimeData text;
        text.setText(QString::fromLatin1(reinterpret_cast<const char*>(block.data()), 8));
        QVERIFY(!suite::HoldsTransferBlock(&text));
        QVERIFY(suite::TransferBlockOf(&text).isEmpty());
        QVERIFY(!suite::HoldsTransferBlock(nullptr));
        QVERIFY(suite::TransferBlockOf(nullptr).isEmpty());
    }

    void packedDibIsTheSamePicture_data() {
        QTest::addColumn<unsigned>("width");
        QTest::addColumn<unsigned>("height");
        QTest::addColumn<unsigned>("depth");
        QTest::newRow("4 bits, odd width") << 5u << 3u << 4u;
        QTest::newRow("8 bits, padded rows") << 7u << 4u << 8u;
        QTest::newRow("24 bits, padded rows") << 3u << 2u << 24u;
        QTest::newRow("40 x 30") << 40u << 30u << 8u;
    }
    void packedDibIsTheSamePicture() {
        QFETCH(unsigned, width);
        QFETCH(unsigned, height);
        QFETCH(unsigned, depth);
        IMAGEDATA picture = Picture(width, height, depth);
        const Bytes dib = ImgToPackedDib(&picture);
        QVERIFY(!dib.empty());
        const QImage expected = ImgToQImage(&picture);
        ImgFree(&picture);
        const QImage image = suite::ImageOfPackedDib(dib);
        QCOMPARE(image.size(), QSize(static_cast<int>(width), static_cast<int>(height)));
        QCOMPARE(image.convertToFormat(QImage::Format_RGB32),
                 expected.convertToFormat(QImage::Format_RGB32));

        QMimeData data;
        QVERIFY(suite::PutPackedDib(data, dib));
        QVERIFY(data.hasImage());
        QCOMPARE(qvariant_cast<QImage>(data.imageData()).convertToFormat(QImage::Format_RGB32),
                 expected.convertToFormat(QImage::Format_RGB32));
    }

    void bytesThatAreNoDibGiveNoPicture() {
        IMAGEDATA picture = Picture(4, 4, 8);
        const Bytes dib = ImgToPackedDib(&picture);
        ImgFree(&picture);
        Bytes cut(dib.begin(), dib.begin() + 40 + 100);  // the colour table is cut short
        Bytes manyColors = dib;
        manyColors[32] = 0xFF;
        manyColors[33] = 0xFF;
        manyColors[34] = 0xFF;
        manyColors[35] = 0x7F;
        const Bytes cases[] = {{}, Bytes(dib.begin(), dib.begin() + 39), cut, manyColors};
        for (const Bytes& bytes : cases) {
            QVERIFY(suite::ImageOfPackedDib(bytes).isNull());
            QMimeData data;
            QVERIFY(!suite::PutPackedDib(data, bytes));
            QVERIFY(!data.hasImage());
        }
    }

    void wavBytesAreOfferedAsTheyAre() {
        const Bytes wav = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E', 0};
        QMimeData data;
        suite::PutWav(data, wav);
        QCOMPARE(data.data("audio/wav"), AsQt(wav));
    }
};

QTEST_MAIN(TransferMimeTest)
#include "transfer_mime_test.moc"
