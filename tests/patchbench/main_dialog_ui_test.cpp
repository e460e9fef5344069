// The editor's windows off screen: the main dialog's menu, states, list and drops, the label
// edit, the patch information and tip dialogs, and the shell carrying requests of other
// programs to the running dialog.
#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <future>

#include "patchbench/app/qt_shell.h"
#include "patchbench/engine/command_table.h"
#include "patchbench/engine/instance_protocol.h"
#include "patchbench/qt/artwork.h"
#include "patchbench/qt/main_dialog.h"
#include "patchbench/qt/patch_info_dialog.h"
#include "patchbench/qt/search_window.h"
#include "patchbench/qt/tip_dialog.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "suite/transfer/transfer_block.h"
#include "tests/patchbench/editor_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/demogame/demo_game.h"

using namespace patchbench;
using namespace std::chrono_literals;
using editor_test::Block;
using editor_test::Bytes;
using editor_test::Texture;

namespace {

QStringList Column(QTreeWidget* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        texts << list->topLevelItem(row)->text(column);
    }
    return texts;
}

}  // namespace

class PatchBenchUi : public QObject {
    Q_OBJECT

  private:
    EditorFiles Files() const {
        return {dir_.File("patchbench.cfg"), dir_.File("patchbench.chm"), dir_.File("KdzTips.cfg")};
    }
    qm_test::TempDir dir_;

  private slots:
    void menuHasEveryCommandWithItsKey() {
        MainDialog dialog(editor_test::PatchLib(), Files(), "", false);
        for (const MenuCommand& command : MenuCommands()) {
            QAction* action = dialog.Action(command.id);
            QVERIFY(action != nullptr);
            QCOMPARE(action->text(), QString::fromLatin1(command.text));
            QCOMPARE(action->shortcut(), QKeySequence(QString::fromLatin1(command.key)));
        }
        QStringList menus;
        for (QAction* menu : dialog.MenuBar()->actions()) {
            menus << menu->text();
        }
        QCOMPARE(menus, (QStringList{"&File", "&Item", "&Help"}));
        QCOMPARE(dialog.List()->headerItem()->text(0), QString("Name"));
        QCOMPARE(dialog.List()->headerItem()->text(1), QString("Size"));
        QCOMPARE(dialog.List()->headerItem()->text(2), QString("Type"));
    }

    void titleAndButtonsFollowTheDocument() {
        qm::ScriptedMessageBoxes boxes;
        MainDialog dialog(editor_test::PatchLib(), Files(), "", false);
        dialog.resize(400, 300);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Fastfile Patch Editor - [Untitled.kdz]"));
        QVERIFY(!dialog.Button(kCmdSave)->isEnabled());
        QVERIFY(!dialog.Action(kCmdSave)->isEnabled());
        QVERIFY(dialog.Action(kCmdSaveAs)->isEnabled());
        QVERIFY(dialog.Button(kCmdPatchInfo)->isEnabled());
        QVERIFY(!dialog.Button(kCmdInstall)->isEnabled());
        QVERIFY(!dialog.Action(kCmdRename)->isEnabled());
        // Columns: half, a quarter, a quarter of the list's width.
        const int width = dialog.List()->viewport()->width();
        QCOMPARE(dialog.List()->columnWidth(0), width / 4 * 2);
        QCOMPARE(dialog.List()->columnWidth(1), width / 4);

        dialog.ReceiveItems(Block({{"graphics\\a\\sky.rim", Texture(1500)},
                                   {"sound\\b\\hit.wav", editor_test::Sound(999)}}));
        QCOMPARE(dialog.windowTitle(), QString("Fastfile Patch Editor - [Untitled.kdz*]"));
        QVERIFY(dialog.Button(kCmdSave)->isEnabled());
        QCOMPARE(Column(dialog.List(), 0), (QStringList{"sky.rim", "hit.wav"}));
        QCOMPARE(Column(dialog.List(), 1), (QStringList{"1.5 KByte", "999 Bytes"}));
        QCOMPARE(Column(dialog.List(), 2), (QStringList{"RIM Image", "PCM Wave"}));
        QCOMPARE(dialog.List()->currentItem(), dialog.List()->topLevelItem(1));
        QVERIFY(dialog.List()->topLevelItem(1)->isSelected());
        QVERIFY(!dialog.List()->topLevelItem(0)->isSelected());
        QVERIFY(dialog.Action(kCmdRename)->isEnabled());
        QVERIFY(dialog.Button(kCmdProperties)->isEnabled());
        QCOMPARE(dialog.List()->topLevelItem(1)->textAlignment(1) & Qt::AlignRight, Qt::AlignRight);

        // A header click sorts ascending, every time.
        dialog.List()->header()->sectionClicked(1);
        QCOMPARE(Column(dialog.List(), 0), (QStringList{"hit.wav", "sky.rim"}));
        dialog.List()->header()->sectionClicked(1);
        QCOMPARE(Column(dialog.List(), 0), (QStringList{"hit.wav", "sky.rim"}));
        QVERIFY(dialog.List()->topLevelItem(0)->isSelected());  // the selection moved along
        QVERIFY(boxes.Asked().empty());
    }

    void dropOfTransferBlockAddsItems() {
        qm::ScriptedMessageBoxes boxes;
        MainDialog dialog(editor_test::PatchLib(), Files(), "", false);
        dialog.show();
        const Bytes block = Block({{"graphics\\drop.rim", Texture()}});
        QMimeData ours;
        ours.setData(suite::kTransferMimeType,
                     QByteArray(reinterpret_cast<const char*>(block.data()),
                                static_cast<qsizetype>(block.size())));
        QMimeData text;
        text.setText("graphics\\drop.rim");
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton,
                                Qt::NoModifier);
        QApplication::sendEvent(&dialog, &refused);
        QVERIFY(!refused.isAccepted());
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &ours, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&dialog, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &ours, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &drop);
        QCOMPARE(dialog.List()->topLevelItemCount(), 0);  // not while the drop is running
        QTRY_COMPARE(Column(dialog.List(), 0), QStringList{"drop.rim"});
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
    }

    void labelEditNamesTheItemAndRestsTheKeys() {
        qm::ScriptedMessageBoxes boxes;
        MainDialog dialog(editor_test::PatchLib(), Files(), "", false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.ReceiveItems(Block({{"graphics\\a\\sky.rim", Texture()}}));
        dialog.RunCommand(kCmdRename);
        auto* editor = dialog.List()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        QCOMPARE(editor->maxLength(), 127);
        QVERIFY(!dialog.AcceleratorsOn());
        QVERIFY(dialog.Action(kCmdExit)->shortcut().isEmpty());
        editor->setText("Night Sky");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(Column(dialog.List(), 0), QStringList{"Night Sky"});
        QVERIFY(dialog.AcceleratorsOn());
        QCOMPARE(dialog.Action(kCmdExit)->shortcut(), QKeySequence("Esc"));
        QCOMPARE(QString(dialog.Editor().List().Rows()[0].item->szName), QString("Night Sky"));

        // Without a focused selected row there is nothing to rename.
        dialog.List()->clearSelection();
        dialog.RunCommand(kCmdRename);
        QVERIFY(dialog.List()->findChild<QLineEdit*>() == nullptr ||
                !dialog.List()->findChild<QLineEdit*>()->isVisible());
    }

    void closingAsksAndCancelKeepsTheWindow() {
        qm::ScriptedMessageBoxes boxes({qm::MessageBoxResult::Cancel, qm::MessageBoxResult::No});
        MainDialog dialog(editor_test::PatchLib(), Files(), "", false);
        dialog.show();
        dialog.ReceiveItems(Block({{"graphics\\a.rim", Texture()}}));
        dialog.RunCommand(kCmdExit);
        QVERIFY(dialog.isVisible());
        dialog.Button(2)->click();  // "Close"
        QVERIFY(!dialog.isVisible());
        QCOMPARE(boxes.Asked().size(), 2u);
    }

    void patchInfoFieldsHold255Characters() {
        PatchInfoDialog dialog({"Sky", "1.0", "Ann", "(c) Ann", "A long\ndescription"});
        QCOMPARE(dialog.TitleField()->maxLength(), 255);
        dialog.DescriptionField()->setPlainText(QString(300, 'd'));
        QCOMPARE(dialog.DescriptionField()->toPlainText().size(), 255);
        const PatchHeaderTexts texts = dialog.Texts();
        QCOMPARE(QString::fromStdString(texts.title), QString("Sky"));
        QCOMPARE(texts.description.size(), 255u);
    }

    void searchWindowFollowsTheSearch() {
        QWidget owner;
        owner.resize(400, 300);
        owner.show();
        SearchWindow window(&owner);
        window.Begin(3);
        QVERIFY(window.isVisible());
        QVERIFY(!window.isModal());
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(window.Bar()->maximum(), 3);
        window.Show("graphics\\Aliens");
        window.Step();
        window.Show("sound\\Common");
        window.Step();
        QCOMPARE(window.EntryText()->text(), QString("sound\\Common"));
        QCOMPARE(window.Bar()->value(), 2);
        window.End();
        QVERIFY(!window.isVisible());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // A second search starts from an empty bar.
        window.Begin(5);
        QCOMPARE(window.Bar()->value(), 0);
        window.End();
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void tipDialogShowsTipsInTurnAndKeepsTheChoice() {
        const std::string tips = dir_.File("tips.cfg");
        std::ofstream(tips) << "; tips\nFirst\nSecond\n";
        {
            TipDialog dialog(tips, Files().settingsPath);
            QCOMPARE(dialog.TipText()->text(), QString("First"));
            QVERIFY(dialog.NextButton()->isEnabled());
            dialog.NextButton()->click();
            QCOMPARE(dialog.TipText()->text(), QString("Second"));
            dialog.NextButton()->click();
            QCOMPARE(dialog.TipText()->text(), QString("First"));
            QVERIFY(dialog.ShowAtStartup()->isChecked());
            dialog.ShowAtStartup()->setChecked(false);
        }
        const ProfileSettings settings(Files().settingsPath);
        QCOMPARE(settings.Read({"Settings", "Show Tip", -1}), 0);
        QCOMPARE(settings.Read({"Settings", "Next Tip", -1}), 1);

        std::ofstream(tips) << "; nothing but comments\n;\n";
        TipDialog comments(tips, Files().settingsPath);
        QCOMPARE(comments.TipText()->text(),
                 QString("Tips file does not exist in the prescribed directory"));
        TipDialog missing(dir_.File("none.cfg"), Files().settingsPath);
        QVERIFY(!missing.NextButton()->isEnabled());
    }

    void iconStripIsKeyedOnMagenta() {
        const QImage strip = EditorIconStrip();
        QCOMPARE(strip.size(), QSize(7 * 16, 16));
        for (int index = 4; index <= 6; ++index) {
            // Each icon keeps a magenta corner (transparent) and draws something of its own.
            QCOMPARE(strip.pixel(index * 16, 0), kStripTransparent);
            int drawn = 0;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    drawn += strip.pixel(index * 16 + x, y) != kStripTransparent;
                }
            }
            QVERIFY(drawn > 40);
            const QImage icon = EditorStripIcon(index).pixmap(16, 16).toImage();
            QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        }
        QVERIFY(EditorStripIcon(7).isNull());
    }

    // The shell with a real endpoint: another program asks the running dialog to open a patch,
    // sends items while a question is open, and closes it.
    void shellCarriesRequestsOfOtherProgramsToTheDialog() {
        qm_test::PrivateEnvironment environment;
        std::string error;
        QVERIFY2(demogame::MakeDemoGame(environment.File("game"), {false}, &error), error.c_str());
        qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                              "Software\\Fox Interactive\\Aliens versus Predator", "Path",
                              environment.File("game"));
        // A patch on disk that the second start hands over.
        const PATCHLIBEXPORT& lib = editor_test::PatchLib();
        KDZPATCH* patch = lib.KDZCreatePatch(nullptr);
        const Bytes data = Texture();
        lib.KDZAddItem(patch, "graphics\\given.rim", data.data(),
                       static_cast<std::uint32_t>(data.size()));
        const std::string given = environment.File("given.kdz");
        QVERIFY(lib.KDZSavePatch(patch, given.c_str()));
        lib.KDZClosePatch(patch);

        qm::ScriptedMessageBoxes boxes({qm::MessageBoxResult::No});
        QtShell shell;
        QSignalSpy handled(&shell, &QtShell::requestHandled);
        QStringList titles;
        std::future<void> other;
        connect(&shell, &QtShell::mainDialogOpened, this, [&](MainDialog* dialog) {
            connect(dialog, &MainDialog::documentShown, this,
                    [&titles, dialog] { titles << dialog->windowTitle(); });
            other = std::async(std::launch::async, [given] {
                // Items first, then the open request (the save question is answered No), then
                // close.
                qm::IpcSend(kInstanceName,
                            {kReceiveItemsKind, Block({{"graphics\\x.rim", Texture()}})}, 5s);
                HandOverToRunningEditor("-nosplash " + given, 5s);
                std::this_thread::sleep_for(500ms);
                qm::IpcSend(kInstanceName, {suite::kCloseMessage, {}}, 5s);
            });
        });
        EditorStartOptions options;
        options.programPath = environment.File("bin/patchbench");
        options.commandLine = "-nosplash";
        QCOMPARE(RunPatchBench(options, shell), StartOutcome::Ran);
        other.get();
        QVERIFY(titles.contains("Fastfile Patch Editor - [Untitled.kdz*]"));
        QVERIFY(titles.contains("Fastfile Patch Editor - [given.kdz]"));
        QCOMPARE(boxes.Asked().size(), 1u);  // the save question before opening
        QCOMPARE(handled.count(), 4);        // items, restore, open, close
    }
};

QTEST_MAIN(PatchBenchUi)
#include "main_dialog_ui_test.moc"
