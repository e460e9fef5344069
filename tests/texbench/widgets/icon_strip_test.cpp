// The icon strip of tree and list, its icons for the item kinds, and the program icon.
#include <QSet>
#include <QTest>

#include "texbench/widgets/icon_strip.h"
#include "texbench/widgets/program_icon.h"

using namespace texbench;

namespace {

QImage StripCell(const QImage& strip, int index) {
    return strip.copy(index * kStripIconSize, 0, kStripIconSize, kStripIconSize);
}

int CountPixels(const QImage& image, bool (*test)(QRgb)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool IsMagenta(QRgb pixel) {
    return (pixel & 0xffffff) == 0xff00ff;
}

bool IsVisible(QRgb pixel) {
    return qAlpha(pixel) != 0;
}

}  // namespace

class IconStripTest : public QObject {
    Q_OBJECT

  private slots:
    void StripIsSevenIconsOnMagenta();
    void IconsAreDistinct();
    void StripIconMakesMagentaTransparent();
    void StripIconOutOfRangeIsEmpty();
    void ProgramIconHasItsSizes();
    void RowIconsOfTheKinds();
};

void IconStripTest::StripIsSevenIconsOnMagenta() {
    const QImage strip = IconStripImage();
    QCOMPARE(strip.size(), QSize(112, 16));
    QVERIFY(!strip.hasAlphaChannel());
    for (int i = 0; i < kStripIconCount; ++i) {
        const QImage cell = StripCell(strip, i);
        const int magenta = CountPixels(cell, IsMagenta);
        QVERIFY2(magenta > 0, qPrintable(QString("icon %1 has no transparent pixel").arg(i)));
        QVERIFY2(magenta < 256 - 32, qPrintable(QString("icon %1 is nearly empty").arg(i)));
    }
}

void IconStripTest::IconsAreDistinct() {
    const QImage strip = IconStripImage();
    for (int a = 0; a < kStripIconCount; ++a) {
        for (int b = a + 1; b < kStripIconCount; ++b) {
            QVERIFY2(StripCell(strip, a) != StripCell(strip, b),
                     qPrintable(QString("icons %1 and %2 are equal").arg(a).arg(b)));
        }
    }
}

void IconStripTest::StripIconMakesMagentaTransparent() {
    const QImage strip = IconStripImage();
    for (int i = 0; i < kStripIconCount; ++i) {
        const QImage icon =
            StripIcon(i).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(16, 16));
        const QImage cell = StripCell(strip, i);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb source = cell.pixel(x, y);
                const QRgb shown = icon.pixel(x, y);
                if (IsMagenta(source)) {
                    QCOMPARE(qAlpha(shown), 0);
                } else {
                    QCOMPARE(shown, source | 0xff000000);
                }
            }
        }
    }
}

void IconStripTest::StripIconOutOfRangeIsEmpty() {
    QVERIFY(StripIcon(-1).isNull());
    QVERIFY(StripIcon(kStripIconCount).isNull());
}

void IconStripTest::ProgramIconHasItsSizes() {
    const QIcon icon = ProgramIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int side : {16, 32, 48}) {
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
        const QImage image = icon.pixmap(side, side).toImage();
        const int visible = CountPixels(image, IsVisible);
        // A drawn picture with transparent corners, not an empty or a filled square.
        QVERIFY(visible > side * side / 3);
        QVERIFY(visible < side * side);
    }
}

void IconStripTest::RowIconsOfTheKinds() {
    QCOMPARE(IconOfKind(suite::ItemKind::Image), 4);
    QCOMPARE(IconOfKind(suite::ItemKind::Sound), 5);
    QCOMPARE(IconOfKind(suite::ItemKind::Other), 6);
}

QTEST_MAIN(IconStripTest)
#include "icon_strip_test.moc"
