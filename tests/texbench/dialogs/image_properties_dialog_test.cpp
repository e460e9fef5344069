// The image properties dialog off screen, on the demo game's textures: what it shows, the
// picker, the compression boxes, the slot menu and the clipboard, the external editor, and
// the write-back from TexBench's main dialog.
#include "texbench/dialogs/image_properties_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

#include "platform/message_box.h"
#include "suite/qt/preview_control.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/dialogs/external_slot_editor.h"
#include "texbench/dialogs/main_dialog.h"
#include "texbench/imaging/qt/qimage_bridge.h"
#include "texbench/properties/properties_texts.h"
#include "tools/demogame/demo_game.h"

using namespace texbench;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kTargeting = "graphics\\Predator\\Hud\\targeting.rim";  // one slot, keyed
constexpr const char* kSkinItem = "graphics\\Aliens\\skin.rim";               // three slots, opaque

std::string FastfileOf(const std::string& itemPath) {
    for (const auto& fastfile : demogame::DemoFastfiles()) {
        if (!fastfile.folder.empty() && itemPath.rfind(fastfile.folder, 0) == 0) {
            return browser_test::Game().Fastfiles() + fastfile.fileName;
        }
    }
    return {};
}

Bytes SavedItem(const std::string& itemPath) {
    const PACKLIBEXPORT& lib = browser_test::Game().Lib();
    FFLARCHIVE* archive = lib.FFLOpenArchive(FastfileOf(itemPath).c_str());
    Bytes bytes;
    if (archive != nullptr) {
        if (FFLITEM* item = lib.FFLFindItem(archive, itemPath.c_str(), false)) {
            bytes.assign(item->lpData, item->lpData + item->dwSize);
        }
        lib.FFLCloseArchive(archive);
    }
    return bytes;
}

// Answers the next pop-up menu: records its entries and closes it, or chooses one entry.
class MenuAnswer {
  public:
    explicit MenuAnswer(QString choose = {}) : choose_(std::move(choose)) {
        QTimer::singleShot(30, [this] { Answer(); });
    }
    QString Name() const { return name_; }
    QStringList Enabled() const { return enabled_; }
    QStringList All() const { return all_; }

  private:
    void Answer() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            if (++tries_ < 100) {
                QTimer::singleShot(20, [this] { Answer(); });
            }
            return;
        }
        name_ = menu->objectName();
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) {
                continue;
            }
            all_ << action->text();
            if (action->isEnabled()) {
                enabled_ << action->text();
            }
            if (action->text() == choose_ && action->isEnabled()) {
                chosen = action;
            }
        }
        if (chosen != nullptr) {
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
    }

    QString choose_;
    int tries_ = 0;
    QString name_;
    QStringList enabled_;
    QStringList all_;
};

suite::PreviewControl* Preview(QWidget& d, int slot) {
    return d.findChild<suite::PreviewControl*>(QStringLiteral("RIM %1").arg(slot + 1));
}
QLabel* Label(QWidget& d, const QString& name) {
    return d.findChild<QLabel*>(name);
}
QCheckBox* Box(QWidget& d, const QString& name) {
    return d.findChild<QCheckBox*>(name);
}
QPushButton* Button(QWidget& d, const char* name) {
    return d.findChild<QPushButton*>(QString::fromLatin1(name));
}

// The right button released over a slot's preview opens the slot menu.
void RightClick(QWidget& dialog, int slot, const QString& choose = {},
                MenuAnswer** seen = nullptr) {
    suite::PreviewControl* preview = Preview(dialog, slot);
    const QPoint at = preview->rect().center();
    auto answer = std::make_unique<MenuAnswer>(choose);
    QMouseEvent release(QEvent::MouseButtonRelease, at, preview->mapToGlobal(at), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(preview, &release);
    QCoreApplication::processEvents();
    if (seen != nullptr) {
        *seen = answer.release();
    }
}

void SendMouse(QWidget& dialog, QEvent::Type type, const QPoint& at,
               Qt::MouseButton button = Qt::NoButton) {
    QMouseEvent event(type, at, dialog.mapToGlobal(at), button,
                      type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&dialog, &event);
}

QString ColorText(std::uint32_t color) {
    return QString::fromStdString(ColorLabel(color));
}

std::uint32_t Word(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}

}  // namespace

class ImagePropertiesDialogTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ImagePropertiesDialog> Open(const std::string& itemPath) {
        bytes_ = SavedItem(itemPath);
        auto dialog = std::make_unique<ImagePropertiesDialog>(
            settings_, itemPath.substr(itemPath.rfind('\\') + 1), bytes_);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) {
            qWarning("the dialog was not exposed");
        }
        QCoreApplication::processEvents();  // the posted refresh
        return dialog;
    }

    CIniDocument settings_;
    Bytes bytes_;

  private slots:
    void initTestCase() {
        QVERIFY2(browser_test::Game().Bound(), browser_test::Game().BindError().c_str());
    }
    void init() {
        settings_.Clear();
        std::string error;
        QVERIFY2(browser_test::FreshDemoGame(&error), error.c_str());
    }

    void ShowsTheSlotsOfTheItem() {
        auto dialog = Open(kTargeting);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Image Properties [targeting.rim]"));
        QCOMPARE(Label(*dialog, "depth 1")->text(), QStringLiteral("3 bpp (32 * 32)"));
        QCOMPARE(Label(*dialog, "size 1")->text(),
                 QString::fromStdString(SlotSizeLabel(
                     static_cast<std::uint32_t>(dialog->Model().Archive().GetSlot(0).size()))));
        QVERIFY(Box(*dialog, "compression 1")->isEnabled());
        QVERIFY(Box(*dialog, "compression 1")->isChecked());
        for (const char* empty : {"2", "3"}) {
            QVERIFY(!Box(*dialog, QStringLiteral("compression ") + empty)->isEnabled());
            QVERIFY(Label(*dialog, QStringLiteral("depth ") + empty)->text().isEmpty());
        }
        QVERIFY(Preview(*dialog, 0)->HasPicture());
        QVERIFY(!Preview(*dialog, 1)->HasPicture());
        QVERIFY(Box(*dialog, "transparent")->isEnabled());
        QVERIFY(Box(*dialog, "transparent")->isChecked());
        QCOMPARE(Label(*dialog, "color")->text(), ColorText(dialog->Model().CommittedColor()));
        QVERIFY(!Button(*dialog, "picker")->icon().isNull());
        QVERIFY(!Button(*dialog, "palette")->icon().isNull());

        // An item that is no texture shows nothing to work on.
        const Bytes junk = {'L', 'I', 'S', 'T', 0, 0, 0, 4, 'I', 'L', 'B', 'M'};
        ImagePropertiesDialog bare(settings_, "", junk);
        QCoreApplication::processEvents();
        QCOMPARE(bare.windowTitle(), QStringLiteral("Image Properties"));
        for (const char* name : {"transparent", "compression 1", "compression 2"}) {
            QVERIFY(!Box(bare, name)->isEnabled());
        }
        QVERIFY(!Button(bare, "picker")->isEnabled());
        QVERIFY(!Button(bare, "palette")->isEnabled());
        QCOMPARE(Label(bare, "color")->text(), QStringLiteral("R:00  G:00  B:00"));
    }

    // The colour follows the first preview as drawn: the texel under the pointer on the
    // picture, the control's own background beside it. A click commits, Escape goes back.
    void PickerSamplesTheFirstPreviewAsDrawn() {
        // Four quadrants of their own colours: patches the pointer can rest on.
        QImage quadrants(32, 32, QImage::Format_RGB32);
        const QRgb colours[] = {qRgb(200, 10, 10), qRgb(10, 200, 10), qRgb(10, 10, 200),
                                qRgb(220, 220, 20)};
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                quadrants.setPixel(x, y, colours[(y / 16) * 2 + x / 16]);
            }
        }
        suite::ImageRecord record;
        QVERIFY(ImgFromQImage(quadrants, 24, record.Get()));
        CRimArchive texture;
        QVERIFY(texture.FillSlots(record.Get()));
        bytes_ = texture.Compile();
        auto dialog = std::make_unique<ImagePropertiesDialog>(settings_, "quadrants.rim", bytes_);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QCoreApplication::processEvents();
        suite::PreviewControl* first = Preview(*dialog, 0);
        const QImage picture = ImgToQImage(dialog->Model().Slot(0).picture.Get());
        const suite::PreviewPlacement p = first->Placement();
        const std::uint32_t committed = dialog->Model().CommittedColor();
        // Drawn one texel a pixel, any texel will do; scaled, one inside a patch of its own
        // colour, so that the drawing's rounding cannot move the pointer onto another colour.
        const bool ownSize = p.pictureW == picture.width() && p.pictureH == picture.height();
        QPoint texel(-1, -1);
        for (int y = 1; y + 1 < picture.height() && texel.x() < 0; ++y) {
            for (int x = 1; x + 1 < picture.width() && texel.x() < 0; ++x) {
                bool even = Word(picture.pixelColor(x, y)) != committed;
                for (int dy = -1; dy <= 1 && !ownSize; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        even = even && picture.pixel(x + dx, y + dy) == picture.pixel(x, y);
                    }
                }
                if (even) {
                    texel = QPoint(x, y);
                }
            }
        }
        QVERIFY(texel.x() >= 0);
        const QPoint drawn(p.pictureX + (2 * texel.x() + 1) * p.pictureW / (2 * picture.width()),
                           p.pictureY + (2 * texel.y() + 1) * p.pictureH / (2 * picture.height()));
        const QPoint onPicture = first->mapTo(dialog.get(), drawn);
        const QPoint beside = first->mapTo(dialog.get(), QPoint(1, 1));
        const std::uint32_t texelColor = Word(picture.pixelColor(texel));
        QVERIFY(texelColor != committed);

        QTest::mouseClick(Button(*dialog, "picker"), Qt::LeftButton);
        QVERIFY(dialog->Picking());
        SendMouse(*dialog, QEvent::MouseMove, onPicture);
        QCOMPARE(Label(*dialog, "color")->text(), ColorText(texelColor));
        SendMouse(*dialog, QEvent::MouseMove, beside);
        QCOMPARE(Label(*dialog, "color")->text(),
                 ColorText(Word(first->palette().color(QPalette::Button))));
        // Over another slot's preview the colour stays.
        SendMouse(*dialog, QEvent::MouseMove,
                  Preview(*dialog, 2)->mapTo(dialog.get(), Preview(*dialog, 2)->rect().center()));
        QCOMPARE(Label(*dialog, "color")->text(),
                 ColorText(Word(first->palette().color(QPalette::Button))));
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QVERIFY(!dialog->Picking());
        QVERIFY(dialog->isVisible());  // Escape ended the picking, not the dialog
        QCOMPARE(Label(*dialog, "color")->text(), ColorText(committed));
        QCOMPARE(dialog->Model().CommittedColor(), committed);

        QTest::mouseClick(Button(*dialog, "picker"), Qt::LeftButton);
        SendMouse(*dialog, QEvent::MouseMove, onPicture);
        SendMouse(*dialog, QEvent::MouseButtonPress, onPicture, Qt::LeftButton);
        QVERIFY(!dialog->Picking());
        QCOMPARE(dialog->Model().CommittedColor(), texelColor);
        QCOMPARE(Label(*dialog, "color")->text(), ColorText(texelColor));

        QTest::mouseClick(Button(*dialog, "ok"), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->Model().Archive().GetTransparentColorWord(), texelColor << 8);
    }

    void PaletteAndCompressionChangeTheCopyOnly() {
        auto dialog = Open(kSkinItem);
        QColor offered;
        dialog->ChoosersForTest().color = [&offered](QWidget*, const QColor& initial) {
            offered = initial;
            return std::optional<QColor>(QColor(0x12, 0x34, 0x56));
        };
        QTest::mouseClick(Button(*dialog, "palette"), Qt::LeftButton);
        QCOMPARE(offered, QColor(Qt::black));
        QCOMPARE(Label(*dialog, "color")->text(), QStringLiteral("R:12  G:34  B:56"));

        const Bytes slot0(dialog->Model().Archive().GetSlot(0).begin(),
                          dialog->Model().Archive().GetSlot(0).end());
        QCheckBox* box = Box(*dialog, "compression 1");
        QVERIFY(!box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->isChecked());
        QVERIFY(dialog->Model().Slot(0).compressed);
        QCOMPARE(Label(*dialog, "size 1")->text(),
                 QString::fromStdString(SlotSizeLabel(
                     static_cast<std::uint32_t>(dialog->Model().Archive().GetSlot(0).size()))));
        QVERIFY(Bytes(dialog->Model().Archive().GetSlot(0).begin(),
                      dialog->Model().Archive().GetSlot(0).end()) != slot0);
        QTest::mouseClick(Button(*dialog, "cancel"), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(SavedItem(kSkinItem) == bytes_);
    }

    // The slot menu grays what an empty slot cannot do, and offers Paste only while the
    // clipboard holds a picture; Copy puts one there.
    void RimMenuFollowsTheSlotAndTheClipboard() {
        QApplication::clipboard()->clear();
        auto dialog = Open(kTargeting);
        MenuAnswer* seen = nullptr;
        RightClick(*dialog, 1, {}, &seen);
        std::unique_ptr<MenuAnswer> empty(seen);
        QCOMPARE(empty->Name(), QStringLiteral("Rim"));
        QCOMPARE(empty->All(), QStringList({"Copy", "Paste", "Delete", "Flip Image", "Mirror Image",
                                            "Count Colors used", "Import Image...",
                                            "Export Image...", "Edit in External Editor..."}));
        QCOMPARE(empty->Enabled(), QStringList({"Import Image..."}));

        RightClick(*dialog, 0, QStringLiteral("Copy"));
        QVERIFY(QApplication::clipboard()->mimeData()->hasImage());
        RightClick(*dialog, 1, {}, &seen);
        std::unique_ptr<MenuAnswer> offered(seen);
        QVERIFY(offered->Enabled().contains("Paste"));

        RightClick(*dialog, 1, QStringLiteral("Paste"));
        QCoreApplication::processEvents();
        QVERIFY(Preview(*dialog, 1)->HasPicture());
        QVERIFY(dialog->Model().Modified());
        QCOMPARE(Label(*dialog, "depth 2")->text(), QStringLiteral("3 bpp (32 * 32)"));
    }

    // Import Image... starts one type behind the item dialogs' remembered type, reads the
    // chosen file into the current slot only and remembers the type.
    void ImportImageReplacesTheCurrentSlot() {
        settings_.SetInt(kImportType.section, kImportType.key, 3);  // BMP in the item dialogs
        auto dialog = Open(kSkinItem);
        const Bytes slot0(dialog->Model().Archive().GetSlot(0).begin(),
                          dialog->Model().Archive().GetSlot(0).end());
        const QString file = QString::fromStdString(browser_test::Game().Root() + "/wide.bmp");
        QImage picture(40, 10, QImage::Format_RGB32);
        picture.fill(qRgb(10, 200, 30));
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 40; ++x) {
                picture.setPixel(x, y, qRgb(250, 250, 250));  // two colours: one plane
            }
        }
        QVERIFY(picture.save(file, "BMP"));
        int startIndex = 0;
        dialog->ChoosersForTest().importFile = [&](QWidget*, const QString&, int index) {
            startIndex = index;
            return std::optional<ChosenSlotFile>(ChosenSlotFile{file, 2});
        };
        RightClick(*dialog, 2, QStringLiteral("Import Image..."));
        QCoreApplication::processEvents();
        QCOMPARE(startIndex, 2);
        QCOMPARE(ReadInt(settings_, kImportType), 3);
        QCOMPARE(Label(*dialog, "depth 3")->text(), QStringLiteral("1 bpp (40 * 10)"));
        QVERIFY(Bytes(dialog->Model().Archive().GetSlot(0).begin(),
                      dialog->Model().Archive().GetSlot(0).end()) == slot0);
    }

    // The stand-in editor repaints the slot's PNG; the saved file replaces the slot as an
    // import would, while the dialog says an edit is pending. Closing ends the watch and
    // removes the private folder.
    void ExternalEditorRoundTrip() {
        settings_.SetString(kExternalEditor.section, kExternalEditor.key,
                            QM_BIN_DIR "/fake_picture_editor");
        auto dialog = Open(kSkinItem);
        const Bytes slot1(dialog->Model().Archive().GetSlot(1).begin(),
                          dialog->Model().Archive().GetSlot(1).end());
        RightClick(*dialog, 0, QStringLiteral("Edit in External Editor..."));
        QVERIFY(dialog->ExternalEditor().Pending(0));
        const QString file = dialog->ExternalEditor().FileOf(0);
        QVERIFY(file.endsWith(".png"));
        QVERIFY(Label(*dialog, "external edit")->text().contains("Image 1"));
        QTRY_VERIFY_WITH_TIMEOUT(dialog->Model().Modified(), 10000);
        QTRY_COMPARE(Label(*dialog, "depth 1")->text(), QStringLiteral("2 bpp (64 * 64)"));
        CRimImage edited;
        QVERIFY(dialog->Model().Archive().GetSlotImage(0, edited));
        QCOMPARE(edited.CountColors(), 3u);
        QVERIFY(Bytes(dialog->Model().Archive().GetSlot(1).begin(),
                      dialog->Model().Archive().GetSlot(1).end()) == slot1);
        const QString folder = QFileInfo(file).absolutePath();
        dialog.reset();
        QVERIFY(!QDir(folder).exists());
    }

    // From TexBench's main dialog: Enter on a texture opens its properties; Cancel leaves the
    // item as it was, every slot deleted ends in the Compile message with the item kept, and
    // a change is saved at once and shown on the row again.
    void WriteBackFromTheMainDialog() {
        qm::ScriptedMessageBoxes boxes;
        MainDialog main(browser_test::Game().Lib(), settings_, QString());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* list = main.findChild<QListWidget*>("list");
        auto* tree = main.findChild<QTreeWidget*>("tree");
        QVERIFY(list != nullptr && tree != nullptr);
        // Predator.ffl's folder, then the row.
        const auto openRow = [&] {
            QTreeWidgetItem* node = nullptr;
            for (const QString& part : QStringList({"graphics", "Predator"})) {
                const int count = node != nullptr ? node->childCount() : tree->topLevelItemCount();
                QTreeWidgetItem* next = nullptr;
                for (int i = 0; i < count && next == nullptr; ++i) {
                    QTreeWidgetItem* child =
                        node != nullptr ? node->child(i) : tree->topLevelItem(i);
                    if (child->text(0).compare(part, Qt::CaseInsensitive) == 0) {
                        next = child;
                    }
                }
                QVERIFY(next != nullptr);
                node = next;
                node->setExpanded(true);
            }
            tree->setCurrentItem(node);
            const auto rows = list->findItems("targeting.rim", Qt::MatchExactly);
            QCOMPARE(rows.size(), 1);
            list->setFocus();
            list->setCurrentItem(rows.front());
            QVERIFY(rows.front()->isSelected());
        };
        // Runs the script in the properties dialog once it shows.
        std::function<void(std::function<void(ImagePropertiesDialog&)>, int)> inProperties;
        inProperties = [&inProperties](std::function<void(ImagePropertiesDialog&)> script,
                                       int tries) {
            QTimer::singleShot(50, [script, tries, &inProperties] {
                auto* dialog =
                    qobject_cast<ImagePropertiesDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) {
                    if (tries < 100) {
                        inProperties(script, tries + 1);
                    }
                    return;
                }
                QCoreApplication::processEvents();
                script(*dialog);
                if (dialog->isVisible()) {
                    dialog->reject();  // a failed check must not leave the test waiting
                }
            });
        };
        const Bytes original = SavedItem(kTargeting);

        openRow();
        bool seen = false;
        inProperties(
            [&](ImagePropertiesDialog& d) {
                seen = true;
                QCOMPARE(d.windowTitle(), QStringLiteral("Image Properties [targeting.rim]"));
                QTest::mouseClick(Box(d, "compression 1"), Qt::LeftButton);
                QTest::mouseClick(Button(d, "cancel"), Qt::LeftButton);
            },
            0);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(seen);
        QVERIFY(SavedItem(kTargeting) == original);

        inProperties(
            [&](ImagePropertiesDialog& d) {
                for (int slot = 0; slot < 3; ++slot) {
                    RightClick(d, slot, QStringLiteral("Delete"));
                }
                QTest::mouseClick(Button(d, "ok"), Qt::LeftButton);
            },
            0);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(boxes.Asked().size(), std::size_t{1});
        QCOMPARE(boxes.Asked()[0].text, std::string(kCompileFailed));
        QVERIFY(SavedItem(kTargeting) == original);

        // Compression off on the first slot and a new colour: saved into the Fastfile as it is
        // after a reload, and kept on reopening.
        inProperties(
            [&](ImagePropertiesDialog& d) {
                d.ChoosersForTest().color = [](QWidget*, const QColor&) {
                    return std::optional<QColor>(QColor(1, 2, 3));
                };
                QTest::mouseClick(Button(d, "palette"), Qt::LeftButton);
                QTest::mouseClick(Box(d, "compression 1"), Qt::LeftButton);
                // A patch installed meanwhile reopens the Fastfile under the dialog.
                main.Reload();
                QTest::mouseClick(Button(d, "ok"), Qt::LeftButton);
            },
            0);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(boxes.Asked().size(), std::size_t{1});
        const Bytes saved = SavedItem(kTargeting);
        QVERIFY(saved != original);
        QVERIFY(list->currentItem()->isSelected());
        QVERIFY(main.findChild<suite::PreviewControl*>("preview")->HasPicture());
        seen = false;
        inProperties(
            [&](ImagePropertiesDialog& d) {
                seen = true;
                QVERIFY(!Box(d, "compression 1")->isChecked());
                QVERIFY(Box(d, "transparent")->isChecked());
                QCOMPARE(Label(d, "color")->text(), QStringLiteral("R:01  G:02  B:03"));
                QTest::mouseClick(Button(d, "cancel"), Qt::LeftButton);
            },
            0);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(seen);
        QVERIFY(SavedItem(kTargeting) == saved);
    }
};

QTEST_MAIN(ImagePropertiesDialogTest)
#include "image_properties_dialog_test.moc"
