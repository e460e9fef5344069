// TexBench's Qt shell in this process: the game's file dialog, and a running main dialog that
// a second start of the real program hands its file to.
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <future>

#include <QListWidget>
#include <QTreeWidget>

#include "packlib/packlib.h"
#include "platform/ipc.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "texbench/app/game_program_dialog.h"
#include "texbench/app/qt_shell.h"
#include "texbench/browser/browser_model.h"
#include "texbench/startup/startup_sequence.h"
#include "texbench/widgets/splash_window.h"
#include "tools/demogame/demo_game.h"

using namespace texbench;
using namespace std::chrono_literals;

namespace {

void WriteFile(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("MZ");
}

// Types the file's path into the dialog's name field, as the user would.
void Choose(QFileDialog& dialog, const QString& path) {
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(name != nullptr);
    name->setText(path);
}

// Adds an item to a Fastfile on disk, as PatchApply does while TexBench runs.
bool AddItemOnDisk(const QString& fastfile, const char* itemPath) {
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    if (!packLib.Bind("PackLib.dll", "PackLibInit")) {
        return false;
    }
    FFLARCHIVE* archive = packLib->FFLOpenArchive(fastfile.toLocal8Bit().constData());
    if (archive == nullptr) {
        return false;
    }
    const char data[] = "not a texture";
    const bool saved = packLib->FFLAddItem(archive, itemPath, data, sizeof data) != nullptr &&
                       packLib->FFLSaveArchive(archive, nullptr);
    packLib->FFLCloseArchive(archive);
    return saved;
}

QTreeWidgetItem* TreeNode(QTreeWidget& tree, const QStringList& path) {
    QTreeWidgetItem* node = nullptr;
    for (const QString& text : path) {
        QTreeWidgetItem* next = nullptr;
        const int count = node ? node->childCount() : tree.topLevelItemCount();
        for (int i = 0; i < count && next == nullptr; ++i) {
            QTreeWidgetItem* child = node ? node->child(i) : tree.topLevelItem(i);
            if (child->text(0) == text) {
                next = child;
            }
        }
        if (next == nullptr) {
            return nullptr;
        }
        node = next;
    }
    return node;
}

// Sends from another thread: the endpoint is answered by this thread's event loop.
std::future<bool> SendLater(const char* kind, std::string data = {}) {
    return std::async(std::launch::async, [kind, data] {
        return qm::IpcSend(kInstanceName, {kind, {data.begin(), data.end()}}, 5s);
    });
}

}  // namespace

class ShellUiTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void filtersFromTheWindowsFilterText();
    void gameDialogTakesOnlyAvpExe();
    void gameNotFoundShowsTheMessageThenTheDialog();
    void secondStartHandsItsFileToTheRunningDialog();
    void messagesWaitWhileAnotherModalWindowIsOpen();
    void installationBroadcastReloadsAndKeepsTheSelection();
    void aFileHandedOverDuringTheSplashOpensOnceTheDialogRuns();

  private:
    StartupOptions Options(const QString& commandLine) const;
    QString Path(const QString& name) const { return root_.filePath(name); }

    QTemporaryDir root_;
};

void ShellUiTest::initTestCase() {
    QVERIFY(root_.isValid());
    for (const char* dir : {"run", "home", "data", "bin"}) {
        QVERIFY(QDir(root_.path()).mkpath(dir));
    }
    QFile::setPermissions(Path("run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("QUILLMARK_REGISTRY", Path("registry.ini").toUtf8());
    qputenv("XDG_RUNTIME_DIR", Path("run").toUtf8());
    qputenv("XDG_DATA_HOME", Path("data").toUtf8());
    qputenv("HOME", Path("home").toUtf8());
    std::string error;
    QVERIFY2(demogame::MakeDemoGame(Path("game").toStdString(), {}, &error), error.c_str());
}

void ShellUiTest::cleanupTestCase() {
    for (const char* name : {"QUILLMARK_REGISTRY", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"}) {
        qunsetenv(name);
    }
}

StartupOptions ShellUiTest::Options(const QString& commandLine) const {
    qm::RegistrySetString(qm::RegistryRoot::LocalMachine, suite::kGameRegistryKey, "Path",
                          Path("game").toStdString());
    StartupOptions options;
    options.programPath = Path("bin/texbench").toStdString();
    options.commandLine = commandLine.toStdString();
    return options;
}

void ShellUiTest::filtersFromTheWindowsFilterText() {
    QCOMPARE(QtNameFilters(QString::fromLatin1(suite::kGameProgramFilter)),
             QStringList(
                 {"Aliens versus Predator (AvP.exe)", "Program Files (*.exe)", "All Files (*)"}));
    QCOMPARE(QtNameFilters("Pictures|*.bmp;*.tga||"), QStringList({"Pictures (*.bmp *.tga)"}));
    QCOMPARE(QtNameFilters(""), QStringList());
}

void ShellUiTest::gameDialogTakesOnlyAvpExe() {
    QTemporaryDir dir;
    WriteFile(dir.filePath("Setup.exe"));
    WriteFile(dir.filePath("aVp.EXE"));
    GameProgramDialog dialog;
    dialog.setDirectory(dir.path());
    dialog.selectNameFilter("All Files (*)");  // the user widens the filter to pick another
    QSignalSpy refused(&dialog, &GameProgramDialog::refused);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.windowIcon().isNull());

    for (const QString& wrong : {dir.filePath("Setup.exe"), dir.filePath("sub/AvP.exe")}) {
        Choose(dialog, wrong);
        dialog.accept();
        QVERIFY(dialog.isVisible());
    }
    QCOMPARE(refused.count(), 2);
    QCOMPARE(refused.at(0).at(0).toString(), dir.filePath("Setup.exe"));

    Choose(dialog, dir.filePath("aVp.EXE"));
    dialog.accept();
    QCOMPARE(refused.count(), 2);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.ChosenFile(), dir.filePath("aVp.EXE"));
}

// The message first, then the dialog, which the user answers with the game's program.
void ShellUiTest::gameNotFoundShowsTheMessageThenTheDialog() {
    QTemporaryDir dir;
    WriteFile(dir.filePath("AVP.exe"));
    qm::ScriptedMessageBoxes boxes;
    QtShell shell;
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<GameProgramDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        Choose(*dialog, dir.filePath("AVP.exe"));
        dialog->accept();
        answered = true;
    });
    suite::GameSearchPlaces nowhere;
    const auto location = suite::LocateGame(shell, nowhere, kProductName);
    QVERIFY(answered);
    QCOMPARE(boxes.Asked().size(), std::size_t{1});
    QVERIFY(location.has_value());
    QCOMPARE(QString::fromStdString(location->program), dir.filePath("AVP.exe"));
    QCOMPARE(QString::fromStdString(location->directory), dir.path() + "/");
}

void ShellUiTest::secondStartHandsItsFileToTheRunningDialog() {
    const QString menus = Path("game/fastfile/Menus.ffl");
    QVERIFY(QFile::exists(menus));
    QtShell shell;
    QSignalSpy handled(&shell, &QtShell::instanceRequestHandled);
    bool checked = false;
    connect(&shell, &QtShell::mainDialogOpened, this, [&](MainDialog* dialog) {
        QTimer::singleShot(30000, dialog, &QDialog::reject);  // never hang
        QTimer::singleShot(0, dialog, [&, dialog] {
            QCOMPARE(dialog->Model().Mode(), BrowserMode::Database);
            QProcess second;
            second.start(QM_BIN_DIR "/texbench", {"-nosplash", menus});
            QVERIFY(second.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 15000);
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitCode(), 0);
            QTRY_COMPARE(handled.count(), 2);
            QCOMPARE(handled.at(0).at(0).toInt(), int(InstanceRequest::Kind::Restore));
            QCOMPARE(handled.at(0).at(1).toBool(), true);
            QCOMPARE(handled.at(1).at(0).toInt(), int(InstanceRequest::Kind::Open));
            QCOMPARE(handled.at(1).at(1).toBool(), true);
            // The dialog now shows that Fastfile by itself.
            QCOMPARE(dialog->Model().Mode(), BrowserMode::SingleFastfile);
            QCOMPARE(QString::fromLocal8Bit(dialog->Model().OpenArchive()->szPath), menus);

            // Another program closes the dialog, and with it the program.
            auto sent = SendLater("WM_CLOSE");
            QTRY_VERIFY(!dialog->isVisible());
            QVERIFY(sent.get());
            checked = true;
        });
    });
    QCOMPARE(RunTexBench(Options("-nosplash"), shell), 0);
    QVERIFY(checked);
    QVERIFY(QFile::exists(Path("bin/texbench.cfg")));
}

// A message that arrives while a question is open has been answered already, so it must not
// be lost: the dialog acts on it, and on what came after it, in order, once the question
// closes.
void ShellUiTest::messagesWaitWhileAnotherModalWindowIsOpen() {
    QtShell shell;
    QSignalSpy handled(&shell, &QtShell::instanceRequestHandled);
    bool checked = false;
    connect(&shell, &QtShell::mainDialogOpened, this, [&](MainDialog* dialog) {
        QTimer::singleShot(30000, dialog, &QDialog::reject);
        QTimer::singleShot(0, dialog, [&, dialog] {
            QDialog question(dialog);
            question.setModal(true);
            question.show();
            QTRY_COMPARE(QApplication::activeModalWidget(), &question);
            const std::pair<const char*, const char*> messages[] = {
                {"WM_WININICHANGE", ""}, {"WM_WININICHANGE", ""}, {"WM_SYSCOMMAND", "SC_RESTORE"}};
            for (const auto& [kind, data] : messages) {
                auto sent = SendLater(kind, data);
                QTRY_VERIFY(sent.wait_for(0s) == std::future_status::ready);
                QVERIFY(sent.get());  // answered at once
            }
            QTest::qWait(100);
            QCOMPARE(handled.count(), 0);  // nothing acted on above the question
            QVERIFY(dialog->isVisible());

            question.close();
            // The repeated reload is acted on once, then the restore.
            QTRY_COMPARE(handled.count(), 2);
            QCOMPARE(handled.at(0).at(0).toInt(), int(InstanceRequest::Kind::Reload));
            QCOMPARE(handled.at(0).at(1).toBool(), true);
            QCOMPARE(handled.at(1).at(0).toInt(), int(InstanceRequest::Kind::Restore));
            QCOMPARE(handled.at(1).at(1).toBool(), true);

            // With no window above it, the dialog acts at once.
            auto now = SendLater("WM_WININICHANGE");
            QTRY_COMPARE(handled.count(), 3);
            QVERIFY(now.get());
            dialog->reject();
            checked = true;
        });
    });
    QCOMPARE(RunTexBench(Options("-nosplash"), shell), 0);
    QVERIFY(checked);
}

// PatchApply changes a Fastfile and tells every running tool; TexBench shows the new contents
// with the same folder and row still selected.
void ShellUiTest::installationBroadcastReloadsAndKeepsTheSelection() {
    const QString menus = Path("game/fastfile/Menus.ffl");
    QtShell shell;
    bool checked = false;
    connect(&shell, &QtShell::mainDialogOpened, this, [&](MainDialog* dialog) {
        QTimer::singleShot(30000, dialog, &QDialog::reject);
        QTimer::singleShot(0, dialog, [&, dialog] {
            auto* tree = dialog->findChild<QTreeWidget*>("tree");
            auto* list = dialog->findChild<QListWidget*>("list");
            QVERIFY(tree != nullptr && list != nullptr);
            QTreeWidgetItem* node = TreeNode(*tree, {"graphics", "Menus"});
            QVERIFY(node != nullptr);
            tree->setCurrentItem(node);
            const auto rows = list->findItems("title.rim", Qt::MatchExactly);
            QCOMPARE(rows.size(), 1);
            list->setCurrentItem(rows.front());
            const int rowsBefore = list->count();

            QVERIFY(AddItemOnDisk(menus, "graphics\\Menus\\added.bin"));
            const std::string section = "Quillmark";
            auto sent = std::async(std::launch::async, [&section] {
                return qm::IpcBroadcast({"WM_WININICHANGE", {section.begin(), section.end()}}, 5s);
            });
            QTRY_COMPARE(list->count(), rowsBefore + 1);
            QCOMPARE(sent.get(), 1);
            QCOMPARE(tree->currentItem()->text(0), QString("Menus"));
            QVERIFY(tree->currentItem()->isSelected());
            QVERIFY(list->currentItem() != nullptr);
            QCOMPARE(list->currentItem()->text(), QString("title.rim"));
            QVERIFY(list->currentItem()->isSelected());
            QCOMPARE(list->findItems("added.bin", Qt::MatchExactly).size(), 1);
            dialog->reject();
            checked = true;
        });
    });
    QCOMPARE(RunTexBench(Options("-nosplash"), shell), 0);
    QVERIFY(checked);
}

// The endpoint answers from the start, so a second start during the splash ends believing
// its file was taken: the file opens as soon as the main dialog is there.
void ShellUiTest::aFileHandedOverDuringTheSplashOpensOnceTheDialogRuns() {
    const QString menus = Path("game/fastfile/Menus.ffl");
    {
        QFile settings(Path("bin/texbench.cfg"));
        QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write("[Settings]\nSplash Screen=1000\n");
    }
    QtShell shell;
    std::future<bool> sent;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(qobject_cast<SplashWindow*>(QApplication::activeModalWidget()) != nullptr);
        const QByteArray text = menus.toLocal8Bit() + '\0';
        sent = std::async(std::launch::async, [text] {
            return qm::IpcSend(kInstanceName, {"WM_COPYDATA", {text.begin(), text.end()}}, 5s);
        });
    });
    bool checked = false;
    connect(&shell, &QtShell::mainDialogOpened, this, [&](MainDialog* dialog) {
        QTimer::singleShot(30000, dialog, &QDialog::reject);
        QTimer::singleShot(0, dialog, [&, dialog] {
            QVERIFY(sent.valid() && sent.get());
            QTRY_COMPARE(dialog->Model().Mode(), BrowserMode::SingleFastfile);
            QCOMPARE(QString::fromLocal8Bit(dialog->Model().OpenArchive()->szPath), menus);
            dialog->reject();
            checked = true;
        });
    });
    QCOMPARE(RunTexBench(Options(""), shell), 0);
    QVERIFY(checked);
    QFile::remove(Path("bin/texbench.cfg"));
}

QTEST_MAIN(ShellUiTest)
#include "shell_ui_test.moc"
