// The shared strip pieces: item icons drawn from pixel art and icons cut from a strip with
// their magenta made transparent.
#include <QTest>

#include "suite/qt/icon_strip.h"

using suite::ItemKind;
using suite::kStripIconSize;
using suite::kStripTransparent;

class IconStripTest : public QObject {
    Q_OBJECT

  private slots:
    void KindIconsAreDrawnWhereAskedAndDiffer() {
        QImage strip(kStripIconSize * 3, kStripIconSize, QImage::Format_RGB32);
        strip.fill(Qt::red);
        const ItemKind kinds[] = {ItemKind::Image, ItemKind::Sound, ItemKind::Other};
        for (int index = 0; index < 3; ++index) {
            suite::DrawStripIcon(strip, index, suite::ItemKindArt(kinds[index]));
        }
        QVector<QImage> icons;
        for (int index = 0; index < 3; ++index) {
            const QImage icon =
                strip.copy(index * kStripIconSize, 0, kStripIconSize, kStripIconSize);
            int red = 0;
            int drawn = 0;
            for (int y = 0; y < kStripIconSize; ++y) {
                for (int x = 0; x < kStripIconSize; ++x) {
                    red += icon.pixel(x, y) == qRgb(255, 0, 0);
                    drawn += icon.pixel(x, y) != kStripTransparent;
                }
            }
            // Every pixel of the icon's square is painted, background included.
            QCOMPARE(red, 0);
            QVERIFY2(drawn > 40, "an icon with hardly any picture");
            QCOMPARE(icon.pixel(0, 0), kStripTransparent);
            icons.append(icon);
        }
        QVERIFY(icons[0] != icons[1]);
        QVERIFY(icons[1] != icons[2]);
        QVERIFY(icons[0] != icons[2]);
    }

    void IconOfStripMakesOnlyMagentaTransparent() {
        QImage strip(kStripIconSize * 2, kStripIconSize, QImage::Format_RGB32);
        strip.fill(kStripTransparent);
        strip.setPixel(kStripIconSize + 3, 4, qRgb(255, 0, 254));  // nearly magenta: kept
        strip.setPixel(kStripIconSize + 5, 6, qRgb(0, 0, 0));
        const QImage icon = suite::IconOfStrip(strip, 1)
                                .pixmap(kStripIconSize, kStripIconSize)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(kStripIconSize, kStripIconSize));
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(icon.pixel(3, 4), qRgb(255, 0, 254));
        QCOMPARE(icon.pixel(5, 6), qRgb(0, 0, 0));
    }

    void IconOfStripOutOfRangeIsEmpty() {
        QImage strip(kStripIconSize * 2 + 5, kStripIconSize, QImage::Format_RGB32);
        strip.fill(Qt::black);
        QVERIFY(suite::IconOfStrip(strip, -1).isNull());
        // The third icon would reach past the strip's right edge.
        QVERIFY(suite::IconOfStrip(strip, 2).isNull());
        QVERIFY(!suite::IconOfStrip(strip, 1).isNull());
    }
};

QTEST_MAIN(IconStripTest)
#include "icon_strip_test.moc"
