// Import, drop and paste through the main dialog off screen, against the demo game: the
// dialog each archive kind opens, the image import dialog's panel, files dropped on the
// dialog, and items pasted from the clipboard; the Fastfile is read back from disk.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>
#include <functional>

#include "platform/message_box.h"
#include "suite/qt/sound_import_dialog.h"
#include "suite/transfer/transfer_block.h"
#include "tests/support/temp_dir.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "tests/texbench/browser/picture_files.h"
#include "texbench/browser/browser_model.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/dialogs/export_dialog.h"
#include "texbench/dialogs/image_import_dialog.h"
#include "texbench/dialogs/main_dialog.h"
#include "texbench/imaging/bmp_image.h"
#include "tools/demogame/demo_game.h"

using namespace texbench;

namespace {

// Runs `answer` on the next modal dialog once it is shown; a dialog the answer left open is
// rejected, so that a failing test ends instead of waiting.
void OnModalDialog(std::function<void(QWidget*)> answer, int tries = 100) {
    QTimer::singleShot(50, [answer = std::move(answer), tries]() mutable {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (modal == nullptr || !modal->isVisible()) {
            if (tries > 0) {
                OnModalDialog(std::move(answer), tries - 1);
            }
            return;
        }
        answer(modal);
        if (modal->isVisible()) {
            modal->reject();
        }
    });
}

QStringList SavedPaths(const std::string& fastfile) {
    QStringList paths;
    const PACKLIBEXPORT& lib = browser_test::Game().Lib();
    const std::string path = browser_test::Game().Root() + "/game/fastfile/" + fastfile;
    FFLARCHIVE* archive = lib.FFLOpenArchive(path.c_str());
    for (FFLITEM* item = lib.FFLGetFirstItem(archive); item != nullptr;
         item = lib.FFLGetNextItem(item)) {
        paths << QString::fromLatin1(lib.FFLGetItemPath(item));
    }
    lib.FFLCloseArchive(archive);
    return paths;
}

}  // namespace

class ImportDialogsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<MainDialog> Open() {
        auto dialog =
            std::make_unique<MainDialog>(browser_test::Game().Lib(), settings_, QString());
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) {
            qWarning("the dialog was not exposed");
        }
        return dialog;
    }
    static QListWidget* List(MainDialog& d) { return d.findChild<QListWidget*>("list"); }
    static void SelectNode(MainDialog& d, const QString& path) {
        auto* tree = d.findChild<QTreeWidget*>("tree");
        QTreeWidgetItem* item = nullptr;
        for (const QString& part : path.split('\\')) {
            QTreeWidgetItem* next = nullptr;
            const int count = item != nullptr ? item->childCount() : tree->topLevelItemCount();
            for (int i = 0; i < count && next == nullptr; ++i) {
                QTreeWidgetItem* child = item != nullptr ? item->child(i) : tree->topLevelItem(i);
                if (child->text(0).compare(part, Qt::CaseInsensitive) == 0) {
                    next = child;
                }
            }
            QVERIFY(next != nullptr);
            item = next;
        }
        tree->setCurrentItem(item);
    }
    static QString Focused(MainDialog& d) {
        const QListWidgetItem* current = List(d)->currentItem();
        return current != nullptr && current->isSelected() ? current->text() : QString();
    }
    QString Picture(const QString& name, unsigned seed = 1) {
        const std::string path = files_.File(name.toStdString());
        CBmpImage bmp;
        if (!import_test::WritePicture(bmp, path, 20, 10, seed)) {
            qWarning("the picture was not written");
        }
        return QString::fromStdString(path);
    }

    // A PNG with alpha, which only the platform's readers know, and a 32-bit BMP, which the
    // suite's own BMP class refuses.
    QString QtPicture(const QString& name, const char* format) {
        QImage image(20, 10, QImage::Format_ARGB32);
        image.fill(qRgba(0, 128, 0, 255));
        image.setPixel(0, 0, qRgba(0, 0, 0, 0));
        const QString path = QString::fromStdString(files_.File(name.toStdString()));
        if (!image.save(path, format)) {
            qWarning("the picture was not written");
        }
        return path;
    }

    CIniDocument settings_;
    qm_test::TempDir files_{"quillmark-import-ui"};

  private slots:
    void initTestCase() {
        QVERIFY2(browser_test::Game().Bound(), browser_test::Game().BindError().c_str());
    }
    void init() {
        settings_.Clear();
        settings_.SetString("Settings.UI", "No Snd", "0");
        std::string error;
        QVERIFY2(browser_test::FreshDemoGame(&error), error.c_str());
    }

    void ImportButtonOpensTheImageDialogAndImportsTheChosenFile() {
        settings_.SetInt("Settings.Import", "Import Type", 3);
        const QString wall = Picture("wall.bmp");
        auto dialog = Open();
        auto* import = dialog->findChild<QPushButton*>("import");
        QVERIFY(!import->isEnabled());  // no Fastfile behind the first root
        SelectNode(*dialog, "graphics\\Aliens");
        QVERIFY(import->isEnabled());

        QString title;
        bool imageDialog = false;
        OnModalDialog([&](QWidget* modal) {
            auto* files = qobject_cast<ImageImportDialog*>(modal);
            imageDialog = files != nullptr;
            title = modal->windowTitle();
            if (files == nullptr) {
                modal->close();
                return;
            }
            // Typed as a user would: the listing of the directory may not be there yet.
            files->findChild<QLineEdit*>("fileNameEdit")->setText(wall);
            QMetaObject::invokeMethod(files, "accept");
        });
        QTest::mouseClick(import, Qt::LeftButton);
        QVERIFY(imageDialog);
        QCOMPARE(title, QStringLiteral("Import Image"));
        QCOMPARE(Focused(*dialog), QStringLiteral("wall.rim"));
        QVERIFY(SavedPaths("Aliens.ffl").contains("graphics\\Aliens\\wall.rim"));
        QCOMPARE(settings_.GetInt("Settings.Import", "Import Type", 0), 3);
    }

    void SoundArchiveOpensTheSoundDialog() {
        auto dialog = Open();
        SelectNode(*dialog, "sound\\Common");
        QString title;
        bool soundDialog = false;
        OnModalDialog([&](QWidget* modal) {
            soundDialog = qobject_cast<suite::SoundImportDialog*>(modal) != nullptr;
            title = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>("import"), Qt::LeftButton);
        QVERIFY(soundDialog);
        QCOMPARE(title, QStringLiteral("Import Sound"));
    }

    // The slot list of the image properties lacks the RIM entry: its BMP entry is the second.
    void ImageDialogDescribesTheFileByItsFilterAndDrawsOnlyWhenAsked() {
        const QString file = Picture("pic.bmp");
        const char* slotFilter =
            "Amiga Interleaved Bitmap (*.iff)|*.iff|Windows or OS/2 Bitmap (*.bmp)|*.bmp||||";
        ImageImportDialog dialog(settings_, nullptr, "Import Image", files_.Path().c_str(),
                                 slotFilter, 2, 1);
        auto* line1 = dialog.findChild<QLabel*>("imageLine1160");
        auto* line2 = dialog.findChild<QLabel*>("imageLine1173");
        auto* picture = dialog.findChild<ImagePreviewPicture*>("imagePreview");
        auto* show = dialog.findChild<QCheckBox*>("showPreview");
        QVERIFY(!show->isChecked());
        QVERIFY(!dialog.findChild<QPushButton*>("imageDetails")->isVisible());

        dialog.Examine(file);
        QCOMPARE(line1->text(), QStringLiteral("Width: 20   Height: 10"));
        QCOMPARE(line2->text(), QStringLiteral("24 Bits Per Pixel (16 Million Colors)"));
        QVERIFY(!picture->HasPicture());
        show->click();
        QCOMPARE(settings_.GetInt("Settings.Import", "Show Preview", -1), 1);
        QVERIFY(picture->HasPicture());
        show->click();
        QCOMPARE(settings_.GetInt("Settings.Import", "Show Preview", -1), 0);
        QVERIFY(!picture->HasPicture());

        dialog.selectNameFilter("Amiga Interleaved Bitmap (*.iff)");
        dialog.Examine(file);
        QCOMPARE(line1->text(), QString());
        QCOMPARE(line2->text(), QString());
    }

    // The item list's PNG entry, and a BMP only the fallback reads, are described and drawn.
    void ImageDialogDescribesPicturesOnlyTheFallbackReads() {
        settings_.SetInt("Settings.Import", "Show Preview", 1);
        ImageImportDialog dialog(settings_, nullptr, "Import Image", files_.Path().c_str(),
                                 kImageFilter, 6);
        auto* line1 = dialog.findChild<QLabel*>("imageLine1160");
        auto* picture = dialog.findChild<ImagePreviewPicture*>("imagePreview");
        const struct {
            const char* file;
            const char* format;
            int index;
        } cases[] = {{"alpha.png", "PNG", 6}, {"deep.bmp", "BMP", 3}};
        for (const auto& c : cases) {
            const QString file = QtPicture(c.file, c.format);
            dialog.selectNameFilter(NameFiltersOf(kImageFilter)[c.index - 1]);
            QCOMPARE(dialog.FilterIndex(), c.index);
            dialog.Examine(file);
            QCOMPARE(line1->text(), QStringLiteral("Width: 20   Height: 10"));
            QVERIFY(picture->HasPicture());
        }
    }

    void PreviewPlacementFitsLargePicturesAndCentresSmallOnes() {
        const struct {
            QSize control, picture;
            QRect placed;
        } cases[] = {
            {{110, 90}, {20, 10}, {45, 40, 20, 10}},    // smaller: own size, centred
            {{110, 90}, {200, 100}, {5, 20, 100, 50}},  // wider: fitted to the width
            {{110, 90}, {97, 10}, {5, 40, 100, 10}},    // within 4 pixels of the area: fitted
        };
        for (const auto& c : cases) {
            QCOMPARE(ImagePreviewPlacement(c.control, c.picture), c.placed);
        }
    }

    void DroppedFilesAreImportedByTheirEndings() {
        auto dialog = Open();
        SelectNode(*dialog, "graphics\\Aliens");
        const QString dib = Picture("wall.dib");
        const QString png = QtPicture("sprite.png", "PNG");
        const QString bmp = Picture("WALL.BMP");
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(dib), QUrl::fromLocalFile(png), QUrl::fromLocalFile(bmp)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(dialog.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        qm::ScriptedMessageBoxes boxes;
        QApplication::sendEvent(dialog.get(), &drop);
        QVERIFY(boxes.Asked().empty());
        QCOMPARE(Focused(*dialog), QStringLiteral("WALL.rim"));
        const QStringList saved = SavedPaths("Aliens.ffl");
        QVERIFY(saved.contains("graphics\\Aliens\\WALL.rim"));
        QVERIFY(saved.contains("graphics\\Aliens\\sprite.rim"));
        QVERIFY(!saved.contains("graphics\\Aliens\\wall.rim"));
    }

    void DropIsRefusedWithoutACurrentArchive() {
        auto dialog = Open();  // the first root has no Fastfile
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Picture("a.bmp"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        enter.setAccepted(false);
        QApplication::sendEvent(dialog.get(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    void PasteFromTheListMenuStoresTheClipboardsItems() {
        auto dialog = Open();
        SelectNode(*dialog, "graphics\\Aliens");
        const browser_test::Bytes texture = browser_test::Texture(8, 8, true);
        const suite::TransferItem item{"graphics\\Other\\pasted.rim",
                                       std::span(texture.data(), texture.size())};
        const suite::BuiltTransferBlock block = suite::BuildTransferBlock(std::span(&item, 1));
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(suite::kTransferMimeType),
                      QByteArray(reinterpret_cast<const char*>(block.bytes.data()),
                                 static_cast<qsizetype>(block.bytes.size())));
        QApplication::clipboard()->setMimeData(data);

        bool triggered = false;
        QTimer::singleShot(100, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) {
                return;
            }
            for (QAction* action : menu->actions()) {
                if (action->text() == QStringLiteral("Paste") && action->isEnabled()) {
                    triggered = true;
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
        });
        QListWidget* list = List(*dialog);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                list->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list->viewport(), &event);
        QVERIFY(triggered);
        QCOMPARE(Focused(*dialog), QStringLiteral("pasted.rim"));
        QVERIFY(SavedPaths("Aliens.ffl").contains("graphics\\Aliens\\pasted.rim"));
        QApplication::clipboard()->clear();
    }
};

QTEST_MAIN(ImportDialogsTest)
#include "import_dialogs_test.moc"
