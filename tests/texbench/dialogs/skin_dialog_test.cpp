// The main dialog in each skin we ship and in the system look, the skin menu and its
// commands, and the progress window's bitmap bar, off screen against the demo game.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <filesystem>

#include "platform/message_box.h"
#include "suite/qt/preview_control.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/browser/main_commands.h"
#include "texbench/dialogs/export_progress_window.h"
#include "texbench/dialogs/main_dialog.h"
#include "texbench/dialogs/main_dialog_skin.h"
#include "texbench/skins/skin_loader.h"
#include "texbench/widgets/bitmap_progress_bar.h"
#include "texbench/widgets/program_bitmaps.h"
#include "tools/demogame/demo_game.h"

using namespace texbench;

namespace {

// The mean difference of two equally sized images over all channels, 0..255.
double MeanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size() || x.isNull()) {
        return 255;
    }
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            sum += std::abs(qRed(p[column]) - qRed(q[column])) +
                   std::abs(qGreen(p[column]) - qGreen(q[column])) +
                   std::abs(qBlue(p[column]) - qBlue(q[column]));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

// A picture stretched over a rectangle the way a skinned button draws it.
QImage Stretched(const QImage& picture, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(image.rect(), picture);
    return image;
}

QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

constexpr CommandId kSixButtons[] = {CommandId::Import, CommandId::Export, CommandId::About,
                                     CommandId::Open,   CommandId::Patch,  CommandId::Close};

QPushButton* Button(QWidget& dialog, CommandId id) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(FindCommand(id)->name));
}

}  // namespace

class SkinDialogTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<MainDialog> Open(const SkinState* skin) {
        auto dialog =
            std::make_unique<MainDialog>(browser_test::Game().Lib(), settings_, QString(), nullptr,
                                         MainDialogLook{skin, &restart_, std::string()});
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) {
            qWarning("the dialog was not exposed");
        }
        return dialog;
    }
    static MainDialogSkin* SkinOf(MainDialog& dialog) {
        return dialog.findChild<MainDialogSkin*>(QStringLiteral("skin"));
    }

    CIniDocument settings_;
    bool restart_ = false;
    std::filesystem::path cwd_;

  private slots:
    void initTestCase() {
        QVERIFY2(browser_test::Game().Bound(), browser_test::Game().BindError().c_str());
        cwd_ = std::filesystem::current_path();
        std::string error;
        QVERIFY2(browser_test::FreshDemoGame(&error), error.c_str());
    }
    void init() {
        settings_.Clear();
        restart_ = false;
    }
    void cleanup() { std::filesystem::current_path(cwd_); }

    // Each shipped skin: the background where the system look shows its grey, every button
    // showing its picture (pressed and released), the black info line, the preview showing the
    // picture behind it, and the pointing cursor over the buttons.
    void ShippedSkinsDrawWhereTheSystemLookDoesNot_data() {
        QTest::addColumn<QString>("skinFile");
        QTest::addColumn<int>("buttonsWithPictures");  // bits in the order of kSixButtons
        QTest::newRow("hive") << QStringLiteral("hive.skn") << 0x3F;
        QTest::newRow("console") << QStringLiteral("console.skn") << 0x3F;
    }
    void ShippedSkinsDrawWhereTheSystemLookDoesNot() {
        QFETCH(QString, skinFile);
        QFETCH(int, buttonsWithPictures);
        SkinState skin;
        QVERIFY(LoadSkin(QStringLiteral(QM_BIN_DIR "/%1").arg(skinFile).toStdString(), skin));
        QVERIFY(skin.module && !skin.module->IsProgram());

        auto system = Open(nullptr);
        const QImage systemShot = Grab(*system);
        auto skinned = Open(&skin);
        const QImage shot = Grab(*skinned);
        MainDialogSkin* look = SkinOf(*skinned);
        QVERIFY(look != nullptr && look->SkinMode());

        QVERIFY(shot.pixel(1, 1) != systemShot.pixel(1, 1));
        for (std::size_t i = 0; i < std::size(kSixButtons); ++i) {
            QPushButton* button = Button(*skinned, kSixButtons[i]);
            QVERIFY(button != nullptr);
            const bool expected = (buttonsWithPictures >> i & 1) != 0;
            const QImage picture = look->ButtonPicture(button, false);
            QCOMPARE(!picture.isNull(), expected);
            QCOMPARE(button->cursor().shape(), Qt::BitmapCursor);
            if (!expected) {
                continue;
            }
            const QImage area = shot.copy(button->geometry());
            QVERIFY2(MeanDifference(area, Stretched(picture, area.size())) < 4,
                     FindCommand(kSixButtons[i])->name);
            button->setDown(true);
            QVERIFY(MeanDifference(Grab(*button),
                                   Stretched(look->ButtonPicture(button, true), area.size())) < 4);
            button->setDown(false);
        }
        // Built-in look: the same button is grey and has no picture.
        QVERIFY(SkinOf(*system)->ButtonPicture(Button(*system, CommandId::Close), false).isNull());
        QCOMPARE(Button(*system, CommandId::Close)->cursor().shape(), Qt::ArrowCursor);

        auto* info = skinned->findChild<QLabel*>(QStringLiteral("info"));
        QCOMPARE(QColor(shot.pixel(info->geometry().topLeft() + QPoint(1, 1))), QColor(Qt::black));

        // The preview keeps the skin's picture that lies behind it.
        auto* preview = skinned->findChild<suite::PreviewControl*>(QStringLiteral("preview"));
        const QImage behind = shot.copy(preview->geometry());
        QVERIFY(MeanDifference(behind, systemShot.copy(preview->geometry())) > 8);
        const QImage stretchedBackground =
            Stretched(QImage::fromData(skin.module->Find(ResourceType::Bitmap, kMainBackground)),
                      skinned->size());
        QVERIFY(MeanDifference(behind, stretchedBackground.copy(preview->geometry())) < 4);
    }

    // Skin mode with the program's own resources (a skin file that is no skin): the system
    // look's template, no pictures, default painting under the skin colours.
    void SkinModeWithTheProgramsOwnResourcesHasNoPictures() {
        SkinState skin;
        QVERIFY(LoadSkin("no-such-file.skn", skin));
        auto dialog = Open(&skin);
        for (const CommandId id : kSixButtons) {
            QVERIFY(SkinOf(*dialog)->ButtonPicture(Button(*dialog, id), false).isNull());
        }
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("info"))
                     ->palette()
                     .color(QPalette::WindowText),
                 QColor(Qt::white));
    }

    void SkinMenuListsTheSkinsBesideTheProgramAndMarksTheOneInUse() {
        qm_test::TempDir dir("skin-dialog");
        for (const char* file : {"hive.skn", "console.skn"}) {
            std::filesystem::copy_file(std::string(QM_BIN_DIR "/") + file, dir.File(file));
        }
        qm_test::Touch(dir.File("bare.skn"),
                       "[Skin.Layout]\nSignature=TexBench\nName=Bare\nModule=\n");
        std::filesystem::current_path(dir.Path());
        SkinState skin;
        QVERIFY(LoadSkin("hive.skn", skin));
        auto dialog = Open(&skin);
        QMenu menu;
        SkinOf(*dialog)->FillSkinMenu(menu);
        QStringList texts;
        QString marked;
        for (const QAction* action : menu.actions()) {
            if (action->isSeparator()) {
                continue;
            }
            texts << action->text();
            if (action->isChecked()) {
                marked = action->text();
            }
        }
        QCOMPARE(texts.size(), 5);
        QCOMPARE(texts.front(), QStringLiteral("Windows standard"));
        QCOMPARE(texts.back(), QStringLiteral("Help..."));
        QVERIFY(texts.contains("Hive") && texts.contains("Metal Console") &&
                texts.contains("Bare"));
        QCOMPARE(marked, QStringLiteral("Hive"));

        // Choosing the marked entry still restarts, closing the dialog as Escape does.
        int command = 0;
        for (const QAction* action : menu.actions()) {
            if (action->isChecked()) {
                command = action->data().toInt();
            }
        }
        QVERIFY(command >= kFirstSkinCommand);
        SkinOf(*dialog)->RunSkinCommand(command);
        QVERIFY(restart_);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(settings_.GetString("Settings", "Skin", ""), std::string("hive.skn"));

        // "Windows standard" empties the setting.
        restart_ = false;
        auto again = Open(&skin);
        SkinOf(*again)->FillSkinMenu(menu);
        SkinOf(*again)->RunSkinCommand(kSystemLookCommand);
        QVERIFY(restart_);
        QCOMPARE(settings_.GetString("Settings", "Skin", "none"), std::string("none"));
    }

    // A right click on the dialog's own area opens the skin menu; on a control it does not.
    void RightClickOnTheDialogItselfOpensTheSkinMenu() {
        auto dialog = Open(nullptr);
        const auto menuAfterClickAt = [&](QWidget* target, const QPoint& at) {
            QString seen;
            QTimer::singleShot(50, [&seen] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    seen = menu->objectName();
                    menu->close();
                }
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
            QApplication::sendEvent(target, &event);
            QTest::qWait(100);
            return seen;
        };
        QCOMPARE(menuAfterClickAt(dialog.get(), QPoint(2, dialog->height() - 2)),
                 QStringLiteral("Skin"));
        auto* label = dialog->findChildren<QLabel*>().front();
        QCOMPARE(menuAfterClickAt(dialog.get(), label->geometry().center()), QString());
    }

    // At 0 only the empty picture, at hi only the full one, half way each over its half.
    void ProgressBarShowsItsTwoPictures() {
        const QImage full = ProgramBitmap(kProgressFull).convertToFormat(QImage::Format_RGB32);
        const QImage empty = ProgramBitmap(kProgressEmpty).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(full.size(), QSize(300, 20));
        QVERIFY(MeanDifference(full, empty) > 10);
        BitmapProgressBar bar;
        bar.resize(300, 20);
        bar.setRange(0, 8);
        bar.setValue(0);
        QCOMPARE(Grab(bar), empty);
        bar.setValue(8);
        QCOMPARE(Grab(bar), full);
        bar.setValue(4);
        const QImage half = Grab(bar);
        QCOMPARE(half.copy(0, 0, 150, 20), full.copy(0, 0, 150, 20));
        QCOMPARE(half.copy(150, 0, 150, 20), empty.copy(150, 0, 150, 20));
        // Wider than the pictures: the done part is stretched over its share of the control.
        bar.resize(600, 20);
        bar.setValue(2);
        const QImage wide = Grab(bar);
        QVERIFY(MeanDifference(wide.copy(0, 0, 150, 20), full.copy(0, 0, 75, 20).scaled(150, 20)) <
                4);
        QCOMPARE(wide.copy(150, 0, 450, 20), empty.scaled(600, 20).copy(150, 0, 450, 20));
        // Nothing to count: no division by a zero range.
        bar.setRange(0, 0);
        bar.setValue(0);
        QVERIFY(!Grab(bar).isNull());
    }

    // The progress window in a skin: its picture 401 behind, the item name drawn as it is.
    void ProgressWindowInASkinShowsItsPictureAndAmpersands() {
        SkinState skin;
        QVERIFY(LoadSkin(QM_BIN_DIR "/console.skn", skin));
        ExportProgressWindow skinned(nullptr, &skin);
        ExportProgressWindow plain(nullptr, nullptr);
        for (ExportProgressWindow* window : {&skinned, &plain}) {
            window->Begin(3);
            window->ShowItem("Tom & Jerry.rim");
        }
        const QImage skinShot = Grab(skinned);
        const QImage plainShot = Grab(plain);
        QVERIFY(skinShot.pixel(2, 2) != plainShot.pixel(2, 2));
        auto* name = skinned.findChild<QLabel*>(QStringLiteral("name"));
        QCOMPARE(name->text(), QStringLiteral("Tom & Jerry.rim"));
        // Drawn in the skin's text colour (amber), which the system look never uses.
        const QImage nameShot = Grab(*name);
        bool amber = false;
        for (int y = 0; y < nameShot.height() && !amber; ++y) {
            for (int x = 0; x < nameShot.width() && !amber; ++x) {
                const QColor c(nameShot.pixel(x, y));
                amber = c.red() > 200 && c.green() > 140 && c.blue() < 120;
            }
        }
        QVERIFY(amber);
    }
};

QTEST_MAIN(SkinDialogTest)
#include "skin_dialog_test.moc"
