// The about box off screen: the scrolling credits (the fallback line, a text taller than its
// area, the wrap at the period), the links' colours and the timer's end.
#include <QEnterEvent>
#include <QtTest>

#include "texbench/dialogs/about_box.h"

using namespace texbench;

namespace {

bool IsCreditsGreen(QRgb pixel) {
    return qGreen(pixel) > 120 && qGreen(pixel) > qRed(pixel) + 60 &&
           qGreen(pixel) > qBlue(pixel) + 60;
}

// The rows of the credits area where green text shows: first and last, or -1, -1.
std::pair<int, int> GreenRows(QWidget* area) {
    const QImage image = area->grab().toImage();
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (IsCreditsGreen(image.pixel(x, y))) {
                if (first < 0) {
                    first = y;
                }
                last = y;
                break;
            }
        }
    }
    return {first, last};
}

void TickTo(AboutBox& box, int offset) {
    while (box.ScrollOffset() != offset) {
        box.Tick();
    }
}

bool Shows(QWidget* widget, const QColor& colour) {
    const QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            if (std::abs(c.red() - colour.red()) < 40 &&
                std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void MissingCreditsScrollTheOneFallbackLine() {
        AboutBox box(nullptr, std::nullopt);
        QCOMPARE(box.CreditsText(), QStringLiteral("ERROR: Failed to load Credits!"));
        QWidget* area = box.CreditsArea();
        box.grab();  // the first drawing measures the period
        const int lineHeight = area->fontMetrics().height();
        QCOMPARE(box.ScrollPeriod(), area->height() + lineHeight);
        // It starts below the bottom edge.
        QCOMPARE(GreenRows(area), std::make_pair(-1, -1));
        TickTo(box, area->height() / 2 + lineHeight);
        const auto [first, last] = GreenRows(area);
        // Its top at the bottom less the offset: one line, and only that one.
        const int top = area->height() / 2 - lineHeight;
        QVERIFY(first >= top - 1 && first < top + lineHeight);
        QVERIFY(last < top + lineHeight + 1);
    }

    // Measured once, from the whole text: its last line leaves the top before the offset
    // wraps, and after the wrap the text starts again from the bottom.
    void ATallTextScrollsWhollyOutBeforeItStartsAgain() {
        std::string credits;
        for (int i = 0; i < 40; ++i) {
            credits += "Credit line " + std::to_string(i) + "\r\n";
        }
        AboutBox box(nullptr, credits);
        QWidget* area = box.CreditsArea();
        box.grab();
        const int lineHeight = area->fontMetrics().height();
        const int textHeight = box.ScrollPeriod() - area->height();
        QVERIFY(textHeight >= 40 * lineHeight - 2);
        QVERIFY(textHeight > area->height());

        // The last line half way out at the top.
        TickTo(box, box.ScrollPeriod() - lineHeight / 2);
        QCOMPARE(GreenRows(area).first, 0);
        QVERIFY(GreenRows(area).second < lineHeight);
        // One step before the wrap nothing is left below the top row.
        TickTo(box, box.ScrollPeriod() - 1);
        QVERIFY(GreenRows(area).second <= 0);
        box.Tick();
        QCOMPARE(box.ScrollOffset(), 0);
        // The first line comes in at the bottom again.
        TickTo(box, lineHeight);
        QVERIFY(GreenRows(area).first >= area->height() - lineHeight - 1);
        const int period = box.ScrollPeriod();
        area->resize(area->width(), area->height() / 2);
        box.grab();
        QCOMPARE(box.ScrollPeriod(), period);  // measured once
    }

    void LinksAreBlueAndRedWhileHovered() {
        AboutBox box(nullptr, std::nullopt);
        for (const char* name : {"site", "mail"}) {
            auto* link = box.findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY(link != nullptr);
            QVERIFY(Shows(link, Qt::blue) && !Shows(link, Qt::red));
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
            QApplication::sendEvent(link, &enter);
            QVERIFY(Shows(link, Qt::red) && !Shows(link, Qt::blue));
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(link, &leave);
            QVERIFY(Shows(link, Qt::blue));
        }
        QCOMPARE(QString::fromLatin1(kWebSiteAddress).left(8), QStringLiteral("https://"));
        QCOMPARE(QString::fromLatin1(kContactAddress).left(7), QStringLiteral("mailto:"));
    }

    void TheTimerRunsWhileTheBoxIsOpen() {
        AboutBox box(nullptr, ProgramCredits());
        QVERIFY(box.TimerRunning());
        QTRY_VERIFY_WITH_TIMEOUT(box.ScrollOffset() >= 2, 2000);
        box.reject();
        QVERIFY(!box.TimerRunning());
    }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
