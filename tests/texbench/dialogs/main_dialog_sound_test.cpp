// The main dialog heard: Enter on the demo game's alarm.wav plays it through the Qt sound
// output into a private PulseAudio server's null sink, and the recording of its monitor
// holds the alarm's first tone for the item's length.
#include <QListWidget>
#include <QTreeWidget>
#include <QtTest>

#include "platform/qt/qt_sound_output.h"
#include "platform/sound.h"
#include "tests/support/pulse_server.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/dialogs/main_dialog.h"
#include "tools/demogame/demo_game.h"

using namespace texbench;

class MainDialogSoundTest : public QObject {
    Q_OBJECT

  private slots:
    void EnterOnAlarmPlaysIt() {
        qm_test::PulseServer server;
        QVERIFY2(server.Ready(), "no PulseAudio server could be started (tools/install-deps.sh)");
        qm::QtSoundOutput output;
        qm::SetSoundOutput(&output);
        QVERIFY2(browser_test::Game().Bound(), browser_test::Game().BindError().c_str());
        std::string error;
        QVERIFY2(browser_test::FreshDemoGame(&error), error.c_str());
        CIniDocument settings;
        settings.SetString("Settings.UI", "No Snd", "0");
        MainDialog dialog(browser_test::Game().Lib(), settings, {});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto* tree = dialog.findChild<QTreeWidget*>("tree");
        const auto sound = tree->findItems(QStringLiteral("sound"), Qt::MatchExactly).value(0);
        QVERIFY(sound != nullptr && sound->childCount() > 0);
        tree->setCurrentItem(sound->child(0));  // "Common"
        auto* list = dialog.findChild<QListWidget*>("list");
        const auto alarm = list->findItems(QStringLiteral("alarm.wav"), Qt::MatchExactly).value(0);
        QVERIFY(alarm != nullptr);
        list->setCurrentItem(alarm);

        qm_test::MonitorRecording recording(server);
        QVERIFY(recording.Running());
        QTest::keyClick(list, Qt::Key_Return);
        QTest::qWait(1100);
        const qm_test::Heard heard = qm_test::Listen(recording.Stop());
        qm::SetSoundOutput(nullptr);
        // The alarm starts on its high tone (1200 Hz for an eighth of a second).
        QVERIFY2(std::abs(heard.frequency - 1200) <= 0.02 * 1200,
                 qPrintable(QStringLiteral("heard %1 Hz").arg(heard.frequency)));
        QVERIFY2(std::abs(heard.seconds - 0.5) <= 0.05,
                 qPrintable(QStringLiteral("heard %1 s").arg(heard.seconds)));
        QVERIFY(alarm->isSelected());
    }
};

QTEST_MAIN(MainDialogSoundTest)
#include "main_dialog_sound_test.moc"
