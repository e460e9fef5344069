// The Qt message-box service asked from worker threads: the box opens on the UI thread, the
// worker waits for the answer given there, and workers' boxes come one at a time.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <thread>

#include "platform/qt/qt_message_boxes.h"

namespace {

// Watches the UI thread's top-level windows and clicks the button the script names for each
// box's text, one box per tick. Notes what it saw, for the test to check afterwards.
class BoxClicker : public QObject {
  public:
    explicit BoxClicker(std::map<QString, QMessageBox::StandardButton> script)
        : script_(std::move(script)) {
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_.start(10);
    }

    int Clicked() const { return clicked_; }
    int MostOpenAtOnce() const { return mostOpen_; }
    bool AllOnUiThread() const { return allOnUiThread_; }

  private:
    void Tick() {
        QMessageBox* open = nullptr;
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box != nullptr && box->isVisible()) {
                open = box;
                ++count;
            }
        }
        mostOpen_ = std::max(mostOpen_, count);
        if (open == nullptr) {
            return;
        }
        allOnUiThread_ = allOnUiThread_ && open->thread() == QApplication::instance()->thread();
        const auto wanted = script_.find(open->text());
        QAbstractButton* button =
            open->button(wanted != script_.end() ? wanted->second : QMessageBox::Cancel);
        if (button != nullptr) {
            ++clicked_;
            button->click();
        }
    }

    std::map<QString, QMessageBox::StandardButton> script_;
    QTimer timer_;
    int clicked_ = 0;
    int mostOpen_ = 0;
    bool allOnUiThread_ = true;
};

// A worker thread that asks one question; the UI thread keeps its event loop running until
// the answer is back.
struct Asker {
    std::atomic<bool> done{false};
    qm::MessageBoxResult answer = qm::MessageBoxResult::Ok;
    std::thread thread;

    Asker(std::string text, qm::MessageBoxButtons buttons) {
        thread = std::thread([this, text = std::move(text), buttons] {
            answer = qm::ShowMessageBox(text, "Setup", buttons, qm::MessageBoxIcon::Question);
            done = true;
        });
    }
    ~Asker() {
        if (thread.joinable()) {
            thread.join();
        }
    }
};

}  // namespace

class QtMessageBoxesTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { previous_ = qm::SetMessageBoxService(&service_); }
    void cleanup() { qm::SetMessageBoxService(previous_); }

    void workerGetsTheAnswerClickedOnTheUiThread_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("click");
        QTest::addColumn<int>("expected");
        using B = qm::MessageBoxButtons;
        using R = qm::MessageBoxResult;
        QTest::newRow("yes/no, no") << int(B::YesNo) << int(QMessageBox::No) << int(R::No);
        QTest::newRow("yes/no/cancel, yes")
            << int(B::YesNoCancel) << int(QMessageBox::Yes) << int(R::Yes);
        QTest::newRow("retry/cancel, retry")
            << int(B::RetryCancel) << int(QMessageBox::Retry) << int(R::Retry);
        QTest::newRow("ok/cancel, cancel")
            << int(B::OkCancel) << int(QMessageBox::Cancel) << int(R::Cancel);
    }

    void workerGetsTheAnswerClickedOnTheUiThread() {
        QFETCH(int, buttons);
        QFETCH(int, click);
        QFETCH(int, expected);
        BoxClicker clicker({{"Overwrite the file?", QMessageBox::StandardButton(click)}});
        Asker asker("Overwrite the file?", qm::MessageBoxButtons(buttons));
        QTRY_VERIFY_WITH_TIMEOUT(asker.done, 10000);
        QCOMPARE(int(asker.answer), expected);
        QCOMPARE(clicker.Clicked(), 1);
        QVERIFY(clicker.AllOnUiThread());
    }

    void workersAskOneAtATimeAndEachGetsItsOwnAnswer() {
        BoxClicker clicker({{"First?", QMessageBox::Yes},
                            {"Second?", QMessageBox::No},
                            {"Third?", QMessageBox::Cancel}});
        Asker first("First?", qm::MessageBoxButtons::YesNoCancel);
        Asker second("Second?", qm::MessageBoxButtons::YesNoCancel);
        Asker third("Third?", qm::MessageBoxButtons::YesNoCancel);
        QTRY_VERIFY_WITH_TIMEOUT(first.done && second.done && third.done, 10000);
        QCOMPARE(int(first.answer), int(qm::MessageBoxResult::Yes));
        QCOMPARE(int(second.answer), int(qm::MessageBoxResult::No));
        QCOMPARE(int(third.answer), int(qm::MessageBoxResult::Cancel));
        QCOMPARE(clicker.Clicked(), 3);
        QCOMPARE(clicker.MostOpenAtOnce(), 1);
    }

    // The UI thread's own questions still go straight to a box.
    void uiThreadAsksDirectly() {
        BoxClicker clicker({{"Here?", QMessageBox::Yes}});
        QCOMPARE(int(qm::ShowMessageBox("Here?", "TexBench", qm::MessageBoxButtons::YesNo,
                                        qm::MessageBoxIcon::Question)),
                 int(qm::MessageBoxResult::Yes));
        QCOMPARE(clicker.Clicked(), 1);
    }

  private:
    qm::QtMessageBoxService service_;
    qm::MessageBoxService* previous_ = nullptr;
};

QTEST_MAIN(QtMessageBoxesTest)
#include "qt_message_boxes_test.moc"
