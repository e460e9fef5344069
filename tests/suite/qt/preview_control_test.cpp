// The preview control: zoom by click, reset zoom, its cursor and what it paints.
#include <QSignalSpy>
#include <QTest>

#include "suite/qt/dialog_units.h"
#include "suite/qt/preview_control.h"
#include "suite/qt/zoom_cursor.h"

using suite::PreviewControl;

namespace {

QImage Filled(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

int VisiblePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) != 0 ? 1 : 0;
        }
    }
    return count;
}

bool SameCursor(const QCursor& a, const QCursor& b) {
    return a.shape() == b.shape() && a.hotSpot() == b.hotSpot() &&
           a.pixmap().toImage() == b.pixmap().toImage();
}

}  // namespace

class PreviewControlTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void ClickTogglesZoomAndNotifies();
    void OnlyLeftClicksOnAPictureCount();
    void ResetZoomUnzoomsOnNewPicture();
    void WithoutResetZoomKeepsZoom();
    void ZoomCursorIsOurPicture();
    void ZoomCursorOnlyOverAPicture();
    void PlacementFollowsZoomAndSize();
    void DialogSizedControlCentresSmallPicture();
    void PaintsPictureInsideItsEdge();
    void ZoomedPictureIsNotSmoothed();

  private:
    // The control sits in a dialog as a child window, as it does in the main dialog.
    std::unique_ptr<QWidget> host_;
    PreviewControl* control_ = nullptr;
};

void PreviewControlTest::init() {
    host_ = std::make_unique<QWidget>();
    host_->resize(320, 220);
    control_ = new PreviewControl(host_.get());
    control_->resize(300, 200);
}

void PreviewControlTest::cleanup() {
    host_.reset();
    control_ = nullptr;
}

void PreviewControlTest::ClickTogglesZoomAndNotifies() {
    QSignalSpy clicked(control_, &PreviewControl::clicked);
    control_->SetPicture(Filled(40, 30, Qt::red));
    QVERIFY(!control_->Zoomed());

    QTest::mouseClick(control_, Qt::LeftButton, {}, QPoint(150, 100));
    QVERIFY(control_->Zoomed());
    QCOMPARE(clicked.count(), 1);

    // Anywhere on the control, not only on the picture.
    QTest::mouseClick(control_, Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(!control_->Zoomed());
    QCOMPARE(clicked.count(), 2);
}

void PreviewControlTest::OnlyLeftClicksOnAPictureCount() {
    QSignalSpy clicked(control_, &PreviewControl::clicked);
    QTest::mouseClick(control_, Qt::LeftButton, {}, QPoint(150, 100));
    QVERIFY(!control_->Zoomed());

    control_->SetPicture(Filled(40, 30, Qt::red));
    QTest::mouseClick(control_, Qt::RightButton, {}, QPoint(150, 100));
    QVERIFY(!control_->Zoomed());

    control_->ClearPicture();
    QVERIFY(!control_->HasPicture());
    QTest::mouseClick(control_, Qt::LeftButton, {}, QPoint(150, 100));
    QVERIFY(!control_->Zoomed());
    QCOMPARE(clicked.count(), 0);
}

void PreviewControlTest::ResetZoomUnzoomsOnNewPicture() {
    control_->SetResetZoom(true);
    QVERIFY(control_->ResetZoom());
    control_->SetPicture(Filled(40, 30, Qt::red));
    QTest::mouseClick(control_, Qt::LeftButton, {}, QPoint(150, 100));
    QVERIFY(control_->Zoomed());

    control_->SetPicture(Filled(20, 20, Qt::blue));
    QVERIFY(!control_->Zoomed());
    QCOMPARE(control_->Placement().pictureW, 20);
}

void PreviewControlTest::WithoutResetZoomKeepsZoom() {
    control_->SetPicture(Filled(40, 30, Qt::red));
    control_->SetZoom(true);
    control_->SetPicture(Filled(20, 20, Qt::blue));
    QVERIFY(control_->Zoomed());
    // Clearing the picture keeps the zoom for the next one too.
    control_->ClearPicture();
    control_->SetPicture(Filled(20, 20, Qt::blue));
    QVERIFY(control_->Zoomed());
    QCOMPARE(control_->Placement().pictureH, 196);
}

void PreviewControlTest::ZoomCursorOnlyOverAPicture() {
    QVERIFY(!control_->testAttribute(Qt::WA_SetCursor));
    control_->SetPicture(Filled(40, 30, Qt::red));
    QVERIFY(control_->testAttribute(Qt::WA_SetCursor));
    QVERIFY(SameCursor(control_->cursor(), suite::ZoomCursor()));
    control_->ClearPicture();
    QVERIFY(!control_->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(control_->cursor().shape(), Qt::ArrowCursor);
}

void PreviewControlTest::PlacementFollowsZoomAndSize() {
    const suite::PreviewPlacement none = control_->Placement();
    QCOMPARE(none.edgeW, 0);
    QCOMPARE(none.pictureW, 0);

    control_->SetPicture(Filled(40, 30, Qt::red));
    suite::PreviewPlacement p = control_->Placement();
    QCOMPARE(QRect(p.pictureX, p.pictureY, p.pictureW, p.pictureH), QRect(130, 85, 40, 30));
    control_->SetZoom(true);
    p = control_->Placement();
    QCOMPARE(QRect(p.pictureX, p.pictureY, p.pictureW, p.pictureH), QRect(19, 2, 262, 196));
    control_->resize(228, 208);
    p = control_->Placement();
    QCOMPARE(QRect(p.pictureX, p.pictureY, p.pictureW, p.pictureH), QRect(2, 20, 224, 168));
}

void PreviewControlTest::DialogSizedControlCentresSmallPicture() {
    control_->resize(suite::DialogUnits(control_->font()).Size(152, 128));
    control_->SetPicture(Filled(40, 30, Qt::red));
    const suite::PreviewPlacement p = control_->Placement();
    QCOMPARE(p.pictureW, control_->width() % 2 == 0 ? 40 : 41);
    QCOMPARE(p.pictureH, control_->height() % 2 == 0 ? 30 : 31);
    QCOMPARE(p.edgeX, (control_->width() - 40) / 2 - 2);
    QCOMPARE(p.edgeY, (control_->height() - 30) / 2 - 2);
}

void PreviewControlTest::PaintsPictureInsideItsEdge() {
    control_->SetPicture(Filled(40, 30, Qt::red));
    const QImage shot = control_->grab().toImage();
    const QColor face = control_->palette().color(QPalette::Button);
    QCOMPARE(shot.pixelColor(0, 0), face);
    QCOMPARE(shot.pixelColor(127, 83), face);   // just left of the edge
    QCOMPARE(shot.pixelColor(172, 117), face);  // just beyond its lower right corner
    QCOMPARE(shot.pixelColor(130, 85), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(169, 114), QColor(Qt::red));

    // The bump: the outer frame raised (lit at the top left, shaded at the bottom right),
    // the inner frame sunken (the other way round).
    const auto lightness = [&shot](int x, int y) { return shot.pixelColor(x, y).lightness(); };
    QVERIFY(lightness(140, 83) > lightness(140, 116));   // outer top, outer bottom
    QVERIFY(lightness(128, 100) > lightness(171, 100));  // outer left, outer right
    QVERIFY(lightness(140, 84) < lightness(140, 115));   // inner top, inner bottom
    QVERIFY(lightness(129, 100) < lightness(170, 100));  // inner left, inner right
}

void PreviewControlTest::ZoomedPictureIsNotSmoothed() {
    QImage halves(2, 1, QImage::Format_RGB32);
    halves.setPixelColor(0, 0, Qt::red);
    halves.setPixelColor(1, 0, Qt::blue);
    control_->resize(204, 104);  // a room of 200 x 100: each texel 100 x 100 pixels
    control_->SetPicture(halves);
    control_->SetZoom(true);
    const QImage shot = control_->grab().toImage();
    for (int x = 2; x < 202; ++x) {
        const QColor expected = x < 102 ? QColor(Qt::red) : QColor(Qt::blue);
        QCOMPARE(shot.pixelColor(x, 50), expected);
    }
}

void PreviewControlTest::ZoomCursorIsOurPicture() {
    const QCursor cursor = suite::ZoomCursor();
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    const QImage image = cursor.pixmap().toImage();
    QVERIFY(!image.isNull());
    QVERIFY(QRect(QPoint(0, 0), image.size()).contains(cursor.hotSpot()));
    // The hot spot is in the lens, which is see-through enough to show the picture under it
    // but drawn, so the spot is not a hole.
    QVERIFY(qAlpha(image.pixel(cursor.hotSpot())) > 0);
    QVERIFY(VisiblePixels(image) > 100);
}

QTEST_MAIN(PreviewControlTest)
#include "preview_control_test.moc"
