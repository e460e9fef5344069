// The road of one texture from one game to another: two textures of a demo game arrive at a
// running editor as a transfer block over its endpoint, as TexBench's Add to Patch sends them;
// Save As writes the patch; PatchLib reads it back; the installer, started as its own process
// with -noprompt, writes it into a second game whose items then equal the first game's.
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <future>

#include "packlib/packlib.h"
#include "patchbench/app/qt_shell.h"
#include "patchbench/engine/command_table.h"
#include "patchbench/engine/instance_protocol.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "tests/patchbench/editor_fixture.h"
#include "tools/demogame/demo_game.h"

using namespace patchbench;
using namespace std::chrono_literals;
using editor_test::Bytes;

namespace {

constexpr char kGameKey[] = "Software\\Fox Interactive\\Aliens versus Predator";

const PACKLIBEXPORT& PackLib() {
    static qm::LibraryBinding<PACKLIBEXPORT> binding;
    if (!binding.IsBound() && !binding.Bind("PackLib.dll", "PackLibInit")) {
        std::abort();
    }
    return binding.Record();
}

// Reads (or, with `replacement`, rewrites) the item of that path in whichever of the game's
// Fastfiles holds it. Empty when no Fastfile does.
Bytes GameItem(const std::string& game, const std::string& itemPath,
               const Bytes* replacement = nullptr) {
    const PACKLIBEXPORT& lib = PackLib();
    for (const demogame::DemoFastfile& entry : demogame::DemoFastfiles()) {
        const std::string file = game + "/fastfile/" + entry.fileName;
        FFLARCHIVE* archive = lib.FFLOpenArchive(file.c_str());
        if (archive == nullptr) {
            continue;
        }
        Bytes data;
        if (FFLITEM* item = lib.FFLFindItem(archive, itemPath.c_str(), false)) {
            if (replacement != nullptr) {
                lib.FFLSetItemData(item, replacement->data(),
                                   static_cast<std::uint32_t>(replacement->size()));
                lib.FFLSaveArchive(archive, nullptr);
            }
            std::uint32_t size = 0;
            const auto* bytes = static_cast<const unsigned char*>(lib.FFLGetItemData(item, &size));
            data.assign(bytes, bytes + size);
        }
        lib.FFLCloseArchive(archive);
        if (!data.empty()) {
            return data;
        }
    }
    return {};
}

}  // namespace

class TextureRoad : public QObject {
    Q_OBJECT

  private slots:
    void twoTexturesTravelFromOneGameToAnother() {
        qm_test::PrivateEnvironment environment;
        const std::string first = environment.File("first");
        const std::string second = environment.File("second");
        std::string error;
        QVERIFY2(demogame::MakeDemoGame(first, {false}, &error), error.c_str());
        QVERIFY2(demogame::MakeDemoGame(second, {false}, &error), error.c_str());
        qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kGameKey, "Path", first);

        // Two selected textures, and the second game made different at both places.
        const auto& textures = demogame::DemoTextures();
        QVERIFY(textures.size() >= 3);
        const std::vector<std::string> paths = {textures[0].itemPath, textures[2].itemPath};
        std::vector<std::pair<std::string, Bytes>> records;
        for (const std::string& path : paths) {
            records.push_back({path, GameItem(first, path)});
            QVERIFY(!records.back().second.empty());
            const Bytes other = GameItem(first, textures[1].itemPath);
            QCOMPARE(GameItem(second, path, &other), other);
        }

        qm::ScriptedMessageBoxes boxes;
        const std::string patchPath = environment.File("two textures.kdz");
        QtShell shell;
        std::future<bool> sender;
        QStringList filters;
        int listed = 0;
        connect(&shell, &QtShell::mainDialogOpened, this, [&](MainDialog* dialog) {
            sender = std::async(std::launch::async, [&records] {
                return qm::IpcSend(kInstanceName, {kReceiveItemsKind, editor_test::Block(records)},
                                   5s);
            });
            connect(&shell, &QtShell::requestHandled, dialog, [&, dialog](int kind) {
                if (kind != static_cast<int>(EditorRequest::Kind::ReceiveItems)) {
                    return;
                }
                listed = dialog->List()->topLevelItemCount();
                // The user saves under a new name, then closes the editor.
                QTimer::singleShot(0, dialog, [&, dialog] {
                    QTimer::singleShot(200, [&] {
                        // Checked after the run, so that a wrong dialog cannot leave it open.
                        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                        if (files == nullptr) {
                            return;
                        }
                        filters = files->nameFilters();
                        files->findChild<QLineEdit*>("fileNameEdit")
                            ->setText(QString::fromStdString(patchPath));
                        QMetaObject::invokeMethod(files, "accept");
                    });
                    dialog->RunCommand(kCmdSaveAs);
                    dialog->RunCommand(kCmdExit);
                });
            });
        });
        EditorStartOptions options;
        options.programPath = environment.File("bin/patchbench");
        options.commandLine = "-nosplash";
        QCOMPARE(RunPatchBench(options, shell), StartOutcome::Ran);
        QVERIFY(sender.get());
        QCOMPARE(listed, 2);
        QCOMPARE(filters, (QStringList{"Quillmark Fastfile Patch (*kdz)", "All Files (*.*)"}));
        QVERIFY(boxes.Asked().empty());

        // PatchLib reads back the two items with their targets and data.
        const PATCHLIBEXPORT& patchLib = editor_test::PatchLib();
        KDZPATCH* patch = patchLib.KDZOpenPatch(patchPath.c_str());
        QVERIFY(patch != nullptr);
        QCOMPARE(patchLib.KDZGetItemCount(patch), 2u);
        KDZITEM* item = patchLib.KDZGetFirstItem(patch);
        for (const auto& [path, data] : records) {
            QVERIFY(item != nullptr);
            QCOMPARE(std::string(item->lpszPath), path);
            QVERIFY(Bytes(item->lpData, item->lpData + item->dwSize) == data);
            item = patchLib.KDZGetNextItem(item);
        }
        patchLib.KDZClosePatch(patch);

        // The installer on its own, in the second game.
        qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kGameKey, "Path", second);
        QProcess installer;
        installer.start(QString(QM_BIN_DIR) + "/patchapply",
                        {"-noprompt", QString::fromStdString(patchPath)});
        QVERIFY(installer.waitForFinished(30000));
        QCOMPARE(installer.exitCode(), 0);
        for (const auto& [path, data] : records) {
            QVERIFY2(GameItem(second, path) == data, path.c_str());
        }
    }
};

QTEST_MAIN(TextureRoad)
#include "texture_road_test.moc"
