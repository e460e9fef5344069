// Dialog units in pixels, for fixed base units and for real fonts.
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

#include "suite/qt/dialog_units.h"

using suite::DialogUnits;

class DialogUnitsTest : public QObject {
    Q_OBJECT

  private slots:
    void ClassicBaseUnits_data();
    void ClassicBaseUnits();
    void MonospacedFontBaseIsItsLetterWidth();
    void LargerFontLargerUnits();
};

void DialogUnitsTest::ClassicBaseUnits_data() {
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QRect>("pixels");
    // Base units 6 x 13; pixels are cut, not rounded.
    QTest::newRow("preview") << QRect(136, 18, 152, 128) << QRect(204, 29, 228, 208);
    QTest::newRow("info line") << QRect(136, 150, 152, 10) << QRect(204, 243, 228, 16);
    QTest::newRow("close button") << QRect(244, 189, 44, 14) << QRect(366, 307, 66, 22);
    QTest::newRow("splash") << QRect(0, 0, 283, 188) << QRect(0, 0, 424, 305);
    QTest::newRow("single unit") << QRect(1, 1, 3, 7) << QRect(1, 1, 4, 11);
}

void DialogUnitsTest::ClassicBaseUnits() {
    QFETCH(QRect, units);
    QFETCH(QRect, pixels);
    const DialogUnits du(6, 13);
    QCOMPARE(du.Rect(units.x(), units.y(), units.width(), units.height()), pixels);
    QCOMPARE(du.Size(units.width(), units.height()), pixels.size());
}

void DialogUnitsTest::MonospacedFontBaseIsItsLetterWidth() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(16);
    if (!QFontInfo(font).fixedPitch()) {
        QSKIP("no monospaced font installed");
    }
    // All 52 letters are one width, so their average is exactly that width.
    const QFontMetrics metrics(font);
    const DialogUnits du(font);
    QCOMPARE(du.BaseX(), metrics.horizontalAdvance(QLatin1Char('x')));
    QCOMPARE(du.BaseY(), metrics.height());
    QCOMPARE(du.Size(4, 8), QSize(du.BaseX(), du.BaseY()));
    QCOMPARE(du.Size(12, 24), QSize(3 * du.BaseX(), 3 * du.BaseY()));
}

void DialogUnitsTest::LargerFontLargerUnits() {
    QFont small = QFont(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(11);
    QFont large = small;
    large.setPixelSize(22);
    const QSize smallSize = DialogUnits(small).Size(152, 128);
    const QSize largeSize = DialogUnits(large).Size(152, 128);
    QVERIFY(smallSize.width() > 0 && smallSize.height() > 0);
    QVERIFY(largeSize.width() > smallSize.width() * 3 / 2);
    QVERIFY(largeSize.height() > smallSize.height() * 3 / 2);
}

QTEST_MAIN(DialogUnitsTest)
#include "dialog_units_test.moc"
