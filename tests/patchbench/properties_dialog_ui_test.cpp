// The properties dialogs off screen on the demo game: their controls follow the model (rows,
// information, preview, enabling), double click and Find, and the main dialog opening them.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "patchbench/engine/command_table.h"
#include "patchbench/qt/main_dialog.h"
#include "patchbench/qt/properties_dialog.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "platform/sound.h"
#include "suite/qt/preview_control.h"
#include "tests/patchbench/editor_fixture.h"
#include "tests/support/private_game.h"
#include "tests/support/temp_dir.h"

using namespace patchbench;
using editor_test::Bytes;

namespace {

QStringList Rows(QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        rows << list->topLevelItem(i)->text(0);
    }
    return rows;
}

}  // namespace

class PropertiesDialogUi : public QObject {
    Q_OBJECT

  private:
    GameAccess Game() { return {&packLib_->Record(), database_}; }
    Bytes GameItem(const char* path) {
        const PACKLIBEXPORT& lib = packLib_->Record();
        FFLARCHIVE* archive =
            lib.FFLOpenArchive(lib.FFLGetDbItemFile(lib.FFLFindDbItem(database_, path, nullptr)));
        FFLITEM* item = lib.FFLFindItem(archive, path, false);
        Bytes data(item->lpData, item->lpData + item->dwSize);
        lib.FFLCloseArchive(archive);
        return data;
    }
    KDZITEM* Add(const char* targets, const Bytes& data) {
        return editor_test::PatchLib().KDZAddItem(patch_, targets, data.data(),
                                                  static_cast<std::uint32_t>(data.size()));
    }

    std::unique_ptr<qm_test::PrivateGame> game_;
    std::unique_ptr<qm::LibraryBinding<PACKLIBEXPORT>> packLib_;
    FFLDB* database_ = nullptr;
    KDZPATCH* patch_ = nullptr;

  private slots:
    void initTestCase() {
        game_ = std::make_unique<qm_test::PrivateGame>();
        QVERIFY2(game_->Made(), game_->Error().c_str());
        packLib_ = std::make_unique<qm::LibraryBinding<PACKLIBEXPORT>>();
        std::string error;
        QVERIFY2(packLib_->Bind("PackLib.dll", "PackLibInit", &error), error.c_str());
        database_ = packLib_->Record().FFLOpenDatabase(nullptr);
        QVERIFY(database_ != nullptr);
    }
    void cleanupTestCase() {
        packLib_->Record().FFLCloseDatabase(database_);
        packLib_.reset();
        game_.reset();
    }
    void init() { patch_ = editor_test::PatchLib().KDZCreatePatch(nullptr); }
    void cleanup() { editor_test::PatchLib().KDZClosePatch(patch_); }

    void textureViewsAndPreview() {
        KDZITEM* item = Add("|graphics\\Menus\\title.rim||",
                            GameItem("graphics\\Predator\\Hud\\targeting.rim"));
        PropertiesDialog dialog(editor_test::PatchLib(), Game(), item, PropertiesKind::Texture);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Texture Properties"));
        QCOMPARE(Rows(dialog.List()), QStringList{"graphics\\Menus\\title.rim"});
        QCOMPARE(dialog.List()->headerItem()->text(0), QString("Target Path"));
        QCOMPARE(dialog.InfoLine(1)->text(), QString("Width: 32   Height: 32"));
        QCOMPARE(dialog.InfoLine(2)->text(), QString("4 Bits Per Pixel (16 Colors)"));
        QVERIFY(dialog.Preview()->HasPicture());
        QVERIFY(dialog.PatchView()->isChecked());

        dialog.TargetView()->click();
        QCOMPARE(dialog.InfoLine(1)->text(), QString("Width: 96   Height: 48"));
        QVERIFY(dialog.Preview()->HasPicture());

        // The last row removed: nothing to show, and OK cannot be pressed.
        dialog.RemoveButton()->click();
        QCOMPARE(dialog.List()->topLevelItemCount(), 0);
        QVERIFY(!dialog.OkButton()->isEnabled());
        QVERIFY(!dialog.RemoveButton()->isEnabled());
        QCOMPARE(dialog.InfoLine(1)->text(), QString());
        QVERIFY(!dialog.Preview()->HasPicture());
    }

    void soundPlaysAndDoubleClickShowsTheTarget() {
        qm::RecordingSoundOutput output;
        KDZITEM* item = Add("sound\\Common\\alarm.wav|sound\\Common\\chirp.wav",
                            GameItem("sound\\Common\\hum.wav"));
        PropertiesDialog dialog(editor_test::PatchLib(), Game(), item, PropertiesKind::Sound);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Sound Properties"));
        QCOMPARE(dialog.InfoLine(1)->text(), QString("2.0 sec @ 11.025 Hz"));
        QCOMPARE(dialog.InfoLine(2)->text(), QString("16 Bit (mono)"));
        QVERIFY(dialog.PlayButton()->isEnabled());
        dialog.PlayButton()->click();
        QVERIFY(output.Current() != nullptr);
        QCOMPARE(output.Current()->format.samplesPerSecond, 11025u);
        dialog.LoopBox()->click();
        dialog.PlayButton()->click();
        QVERIFY(output.CurrentLoops());
        dialog.LoopBox()->click();  // cleared: playback ends
        QVERIFY(output.Current() == nullptr);

        QTreeWidgetItem* chirp = dialog.List()->topLevelItem(1);
        emit dialog.List()->itemDoubleClicked(chirp, 0);
        QVERIFY(dialog.TargetView()->isChecked());
        QCOMPARE(dialog.List()->indexOfTopLevelItem(dialog.List()->currentItem()), 1);
        QCOMPARE(dialog.InfoLine(1)->text(), QString("1.0 sec @ 22.050 Hz"));
        QVERIFY(output.Current() != nullptr);
        QCOMPARE(output.Current()->format.samplesPerSecond, 22050u);
    }

    void findAddsRowsAtTheTop() {
        KDZITEM* item = Add("graphics\\Mine\\vision.rim", editor_test::Texture());
        PropertiesDialog dialog(editor_test::PatchLib(), Game(), item, PropertiesKind::Texture);
        dialog.show();
        qm::ScriptedMessageBoxes boxes;
        dialog.FindButton()->click();
        QCOMPARE(Rows(dialog.List()), (QStringList{"graphics\\Predator\\Hud\\vision.rim",
                                                   "graphics\\Mine\\vision.rim"}));
        QCOMPARE(dialog.List()->currentItem(), dialog.List()->topLevelItem(1));
        QCOMPARE(boxes.Asked().size(), 1u);
        QVERIFY(QString::fromStdString(boxes.Asked()[0].text).startsWith("1 matching items"));
    }

    void mainDialogOpensThePropertiesOfTheFocusedRow() {
        qm_test::TempDir dir;
        MainDialog main(editor_test::PatchLib(),
                        {dir.File("p.cfg"), dir.File("p.chm"), dir.File("KdzTips.cfg")}, "", false,
                        Game());
        main.ReceiveItems(editor_test::Block(
            {{"graphics\\a\\first.rim|graphics\\b\\second.rim", editor_test::Texture()},
             {"graphics\\other.txt", Bytes(40, 'x')}}));
        main.List()->setCurrentItem(main.List()->topLevelItem(0));
        QCOMPARE(main.List()->topLevelItem(0)->text(0), QString("second.rim"));
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<PropertiesDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            shown = true;
            dialog->List()->setCurrentItem(dialog->List()->topLevelItem(1));
            dialog->RemoveButton()->click();
            dialog->OkButton()->click();
        });
        main.RunCommand(kCmdProperties);
        QVERIFY(shown);
        KDZITEM* item = main.Editor().List().Rows()[0].item;
        QCOMPARE(QString(item->lpszPath), QString("graphics\\a\\first.rim"));
        QCOMPARE(main.List()->topLevelItem(0)->text(0), QString("first.rim"));
        QVERIFY(main.Editor().Modified());
    }
};

QTEST_MAIN(PropertiesDialogUi)
#include "properties_dialog_ui_test.moc"
