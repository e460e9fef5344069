// The splash window: closed by its timer or a click, captionless, centred, our artwork.
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "suite/qt/dialog_units.h"
#include "texbench/widgets/splash_window.h"

using texbench::SplashWindow;

namespace {

// Runs the splash modally; a safety timer rejects it should nothing else close it, so that a
// broken close shows as a failure instead of a hang.
int RunWithSafety(SplashWindow& splash) {
    QTimer::singleShot(10000, &splash, &QDialog::reject);
    return splash.exec();
}

}  // namespace

class SplashWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void ClosesLikeOkOnItsTimer();
    void ClosesLikeOkOnAClick_data();
    void ClosesLikeOkOnAClick();
    void MiddleClickDoesNotClose();
    void HasNoCaption();
    void SizedInDialogUnitsAndCentred();
    void ArtworkFillsTheGivenSize();
};

void SplashWindowTest::ClosesLikeOkOnItsTimer() {
    SplashWindow splash(50);
    QCOMPARE(splash.DurationMs(), 50);
    QCOMPARE(RunWithSafety(splash), int(QDialog::Accepted));
}

void SplashWindowTest::ClosesLikeOkOnAClick_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
}

void SplashWindowTest::ClosesLikeOkOnAClick() {
    QFETCH(Qt::MouseButton, button);
    SplashWindow splash(60000);
    QTimer::singleShot(
        0, &splash, [&splash, button] { QTest::mouseClick(&splash, button, {}, QPoint(20, 20)); });
    QCOMPARE(RunWithSafety(splash), int(QDialog::Accepted));
}

void SplashWindowTest::MiddleClickDoesNotClose() {
    SplashWindow splash(60000);
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QTest::mouseClick(&splash, Qt::MiddleButton, {}, QPoint(20, 20));
    QVERIFY(splash.isVisible());
    QCOMPARE(splash.result(), 0);
}

void SplashWindowTest::HasNoCaption() {
    SplashWindow splash(1000);
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
}

void SplashWindowTest::SizedInDialogUnitsAndCentred() {
    SplashWindow splash(60000);
    QCOMPARE(splash.size(), suite::DialogUnits(splash.font()).Size(283, 188));
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QRect area = splash.screen()->availableGeometry();
    const QRect frame = splash.frameGeometry();
    QVERIFY(qAbs(frame.center().x() - area.center().x()) <= 1);
    QVERIFY(qAbs(frame.center().y() - area.center().y()) <= 1);
}

void SplashWindowTest::ArtworkFillsTheGivenSize() {
    const QImage art = texbench::SplashArtwork(QSize(424, 305));
    QCOMPARE(art.size(), QSize(424, 305));
    // A picture, not a plain fill: many different colours.
    QSet<QRgb> colours;
    for (int y = 0; y < art.height(); y += 3) {
        for (int x = 0; x < art.width(); x += 3) {
            colours.insert(art.pixel(x, y));
        }
    }
    QVERIFY(colours.size() > 100);
    // Drawn the same way every time.
    QCOMPARE(texbench::SplashArtwork(QSize(424, 305)), art);
    QVERIFY(texbench::SplashArtwork(QSize()).isNull());
}

QTEST_MAIN(SplashWindowTest)
#include "splash_window_test.moc"
