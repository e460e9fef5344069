// The sound import dialog off screen: the panel's lines and buttons for the selected file,
// and the requests its buttons and check box send to the sound service.
#include "suite/qt/sound_import_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "inidoc/ini_document.h"
#include "platform/byte_order.h"
#include "platform/sound.h"
#include "tests/support/wav_builder.h"

namespace {

const suite::IntSetting kLoop{"Settings.Import", "Loop Snd", 0};

}  // namespace

class SoundImportDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    CIniDocument settings_;

    QString Write(const QString& name, const std::vector<std::uint8_t>& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }
    static QString Line(suite::SoundImportDialog& d, const char* name) {
        return d.findChild<QLabel*>(name)->text();
    }
    static QPushButton* Button(suite::SoundImportDialog& d, const char* name) {
        return d.findChild<QPushButton*>(name);
    }
    static QCheckBox* Loop(suite::SoundImportDialog& d) {
        return d.findChild<QCheckBox*>("soundLoop");
    }
    // 0.5 s of 16-bit stereo at 44.1 kHz, as the demo game's alarm.
    std::vector<std::uint8_t> Alarm() { return qm_test::MakeSineWav({1, 2, 44100, 16}, 880, 0.5); }

  private slots:
    void init() { settings_.Clear(); }

    void PanelSitsBelowTheFileDialog() {
        suite::SoundImportDialog dialog(settings_, kLoop, nullptr, "Import Sound", dir_.path(),
                                        "Microsoft PCM Wave (*.wav)");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Import Sound"));
        QVERIFY(dialog.fileMode() == QFileDialog::ExistingFiles);
        for (const char* name : {"soundPlay", "soundStop"}) {
            QVERIFY(!Button(dialog, name)->icon().isNull());
        }
        QCOMPARE(Button(dialog, "soundPlay")->text(), QStringLiteral("&Play"));
        QCOMPARE(Button(dialog, "soundStop")->text(), QStringLiteral("&Stop"));
        QCOMPARE(Loop(dialog)->text(), QStringLiteral("&Loop sound"));
        QVERIFY(!Loop(dialog)->isChecked());  // "Loop Snd" absent
        QVERIFY(!Button(dialog, "soundPlay")->isEnabled());
        QVERIFY(Line(dialog, "soundLine1160").isEmpty());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QWidget* panel = dialog.findChild<QWidget*>("soundPanel");
        const QWidget* buttons = dialog.findChild<QWidget*>("buttonBox");
        QVERIFY(panel != nullptr && buttons != nullptr);
        QVERIFY(panel->geometry().top() >= buttons->geometry().bottom());
    }

    void DescribesOnlyWhatTheHeaderRuleAccepts() {
        auto compressed = Alarm();
        qm::PutU16LE(compressed.data() + 20, 2);
        auto quad = Alarm();
        qm::PutU16LE(quad.data() + 22, 4);
        const auto alarm = Alarm();
        const auto exact = std::vector<std::uint8_t>(alarm.begin(), alarm.begin() + 40);
        const auto shorter = std::vector<std::uint8_t>(alarm.begin(), alarm.begin() + 39);
        const struct {
            QString file;
            const char* duration;  // nullptr: not described
            const char* format;
        } cases[] = {
            {Write("alarm.wav", Alarm()), "0.5 sec @ 44.100 Hz", "16 Bit (stereo)"},
            {Write("quad.wav", quad), "0.5 sec @ 44.100 Hz", "16 Bit (stereo)"},
            {Write("exact.wav", exact), "0.5 sec @ 44.100 Hz", "16 Bit (stereo)"},
            {Write("compressed.wav", compressed), nullptr, nullptr},
            {Write("short.wav", shorter), nullptr, nullptr},
            {dir_.path(), nullptr, nullptr},
            {dir_.filePath("missing.wav"), nullptr, nullptr},
            {QString(), nullptr, nullptr},
        };
        suite::SoundImportDialog dialog(settings_, kLoop, nullptr, {}, dir_.path());
        for (const auto& c : cases) {
            dialog.ShowFile(dir_.filePath("alarm.wav"));  // something shown before
            dialog.ShowFile(c.file);
            QCOMPARE(Line(dialog, "soundLine1160"), QString::fromLatin1(c.duration));
            QCOMPARE(Line(dialog, "soundLine1173"), QString::fromLatin1(c.format));
            QCOMPARE(Button(dialog, "soundPlay")->isEnabled(), c.duration != nullptr);
        }
    }

    // A click on a file in the dialog's list reaches the panel.
    void ClickingAFileInTheListDescribesIt() {
        Write("alarm.wav", Alarm());
        suite::SoundImportDialog dialog(settings_, kLoop, nullptr, {}, dir_.path(),
                                        "Microsoft PCM Wave (*.wav)");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* view = dialog.findChild<QListView*>("listView");
        QVERIFY(view != nullptr);
        QModelIndex index;
        QTRY_VERIFY((index = view->model()->index(0, 0, view->rootIndex())).isValid());
        QCOMPARE(index.data().toString(), QStringLiteral("alarm.wav"));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        QTRY_COMPARE(Line(dialog, "soundLine1160"), QStringLiteral("0.5 sec @ 44.100 Hz"));
        QCOMPARE(Line(dialog, "soundLine1173"), QStringLiteral("16 Bit (stereo)"));
        QVERIFY(Button(dialog, "soundPlay")->isEnabled());
    }

    void ButtonsAndLoopBoxSendTheirRequests() {
        settings_.SetInt("Settings.Import", "Loop Snd", 1);
        qm::RecordingSoundOutput sound;
        const auto bytes = Alarm();
        const QString alarm = Write("alarm.wav", bytes);
        auto dialog = std::make_unique<suite::SoundImportDialog>(settings_, kLoop);
        QVERIFY(Loop(*dialog)->isChecked());

        QTest::mouseClick(Button(*dialog, "soundPlay"), Qt::LeftButton);
        QVERIFY(sound.Requests().empty());  // nothing selected, Play is disabled

        dialog->ShowFile(alarm);
        QTest::mouseClick(Button(*dialog, "soundPlay"), Qt::LeftButton);
        QCOMPARE(sound.Requests().size(), std::size_t{1});
        QVERIFY(sound.Current() != nullptr);
        QVERIFY(sound.CurrentLoops());
        QVERIFY(sound.Current()->samples ==
                std::vector<std::uint8_t>(bytes.begin() + 44, bytes.end()));

        QTest::mouseClick(Button(*dialog, "soundStop"), Qt::LeftButton);
        QCOMPARE(sound.Requests().size(), std::size_t{2});
        QVERIFY(sound.Current() == nullptr);

        Loop(*dialog)->click();  // off: stops and remembers
        QCOMPARE(settings_.GetInt("Settings.Import", "Loop Snd", -1), 0);
        QCOMPARE(sound.Requests().size(), std::size_t{3});
        QVERIFY(sound.Current() == nullptr);
        QTest::mouseClick(Button(*dialog, "soundPlay"), Qt::LeftButton);
        QVERIFY(!sound.CurrentLoops());

        Loop(*dialog)->click();  // on: remembered, the sound plays on
        QCOMPARE(settings_.GetInt("Settings.Import", "Loop Snd", -1), 1);
        QCOMPARE(sound.Requests().size(), std::size_t{4});
        QTest::mouseClick(Button(*dialog, "soundPlay"), Qt::LeftButton);
        QVERIFY(sound.CurrentLoops());

        // Closing the dialog leaves the looping sound playing.
        dialog->reject();
        dialog.reset();
        QCOMPARE(sound.Requests().size(), std::size_t{5});
        QVERIFY(sound.CurrentLoops());
    }
};

QTEST_MAIN(SoundImportDialogTest)
#include "sound_import_dialog_test.moc"
