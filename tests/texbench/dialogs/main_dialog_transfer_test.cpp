// Items leaving the main dialog, off screen: Copy puts the block's exact bytes and, for one
// row, its picture or WAV on the clipboard; a drag offers the block, the picture and the items
// as files; Insert in the list and the Patch button hand the block to a PatchBench endpoint
// made here; and a long list scrolls to a row that the batched layout places late.
#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>
#include <future>

#include "platform/ipc.h"
#include "platform/message_box.h"
#include "suite/qt/transfer_mime.h"
#include "suite/single_instance.h"
#include "suite/transfer/transfer_block.h"
#include "tests/support/files.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/browser/browser_model.h"
#include "texbench/dialogs/item_list.h"
#include "texbench/dialogs/item_mime.h"
#include "texbench/dialogs/main_dialog.h"
#include "texbench/imaging/qt/qimage_bridge.h"
#include "texbench/imaging/rim_archive.h"

using namespace texbench;
using namespace std::chrono_literals;
using browser_test::Bytes;

namespace {

const Bytes& Wall() {
    static const Bytes bytes = browser_test::Texture(40, 30, false);
    return bytes;
}
const Bytes& Hit() {
    static const Bytes bytes = browser_test::Wav(11025, 1, 8, 0.05);
    return bytes;
}

// The records of a block as (path, bytes), checked by the suite's reader.
std::vector<std::pair<std::string, Bytes>> Records(const QByteArray& block) {
    const auto parsed = suite::ParseTransferBlock(
        std::span(reinterpret_cast<const std::uint8_t*>(block.constData()),
                  static_cast<std::size_t>(block.size())));
    std::vector<std::pair<std::string, Bytes>> records;
    for (const auto& record : parsed.records) {
        records.emplace_back(std::string(record.path),
                             Bytes(record.data.begin(), record.data.end()));
    }
    return records;
}

QByteArray AsQt(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// The texture's first picture as the imaging code draws it.
QImage FirstPicture(const Bytes& texture) {
    CRimArchive archive;
    IMAGEDATA image{};
    if (!archive.Parse(texture) || !archive.ExportSlot(0, &image)) {
        return {};
    }
    QImage picture = ImgToQImage(&image);
    ImgFree(&image);
    return picture.convertToFormat(QImage::Format_RGB32);
}

// Triggers the entry of the next pop-up menu that has this text.
void TriggerNextMenuEntry(const QString& text) {
    QTimer::singleShot(50, [text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        menu->close();
    });
}

// A PatchBench stand-in: what arrives at its endpoint.
class FakePatchBench {
  public:
    FakePatchBench() : listener_(qm::IpcListener::Listen(suite::kPatchBenchWindowClass)) {}
    bool Listening() const { return listener_ != nullptr; }
    // Waits (on a thread, while the dialog's own loop runs) for up to `count` messages.
    void Expect(int count) {
        received_ = std::async(std::launch::async, [this, count] {
            std::vector<qm::IpcMessage> got;
            while (static_cast<int>(got.size()) < count) {
                auto message = listener_->Receive(1000ms);
                if (!message) {
                    break;
                }
                got.push_back(std::move(*message));
            }
            return got;
        });
    }
    std::vector<qm::IpcMessage> Received() { return received_.get(); }

  private:
    std::unique_ptr<qm::IpcListener> listener_;
    std::future<std::vector<qm::IpcMessage>> received_;
};

}  // namespace

class MainDialogTransferTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<MainDialog> Open(const std::vector<std::pair<std::string, Bytes>>& items) {
        const std::string path = browser_test::Game().Root() + "/transfer.ffl";
        if (!browser_test::MakeFastfile(path, items)) {
            qWarning("the Fastfile was not written");
        }
        auto dialog = std::make_unique<MainDialog>(browser_test::Game().Lib(), settings_,
                                                   QString::fromStdString("-nosplash " + path));
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) {
            qWarning("the dialog was not exposed");
        }
        // A single Fastfile: choosing any folder lists all of its items.
        auto* tree = dialog->findChild<QTreeWidget*>("tree");
        QTreeWidgetItem* node = tree->topLevelItem(0);
        while (node != nullptr && node->childCount() > 0) {
            node->setExpanded(true);
            node = node->child(0);
        }
        tree->setCurrentItem(node);
        return dialog;
    }
    static QListWidget* List(MainDialog& d) { return d.findChild<QListWidget*>("list"); }
    static QListWidgetItem* Row(MainDialog& d, const QString& name) {
        const auto found = List(d)->findItems(name, Qt::MatchExactly);
        return found.size() == 1 ? found.front() : nullptr;
    }
    // Selects the rows by name; the first is focused.
    static void Select(MainDialog& d, const QStringList& names) {
        List(d)->clearSelection();
        for (const QString& name : names) {
            QListWidgetItem* row = Row(d, name);
            QVERIFY2(row != nullptr, qPrintable(name));
            if (name == names.front()) {
                List(d)->setCurrentItem(row);
            }
            row->setSelected(true);
        }
    }
    static void CopyByMenu(MainDialog& d) {
        TriggerNextMenuEntry(QStringLiteral("Copy"));
        QListWidget* list = List(d);
        const QPoint at = list->visualItemRect(list->currentItem()).center();
        QMetaObject::invokeMethod(list, "customContextMenuRequested", Q_ARG(QPoint, at));
    }
    static std::vector<int> ModelRows(MainDialog& d) {
        std::vector<int> rows;
        for (QListWidgetItem* item : List(d)->selectedItems()) {
            rows.push_back(item->data(ItemListWidget::kRowRole).toInt());
        }
        return rows;
    }
    static int FocusedModelRow(MainDialog& d) {
        return List(d)->currentItem()->data(ItemListWidget::kRowRole).toInt();
    }

    CIniDocument settings_;

  private slots:
    void initTestCase() {
        QVERIFY2(browser_test::Game().Bound(), browser_test::Game().BindError().c_str());
    }
    void init() {
        settings_.Clear();
        browser_test::Game().Empty();
        QApplication::clipboard()->clear();
    }

    void copyOfOneTexturePutsTheBlockAndItsPicture() {
        auto dialog =
            Open({{"graphics\\walls\\wall.rim", Wall()}, {"graphics\\walls\\b.rim", Wall()}});
        Select(*dialog, {"wall.rim"});
        CopyByMenu(*dialog);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data != nullptr);
        QTRY_VERIFY(suite::HoldsTransferBlock(data));
        data = QApplication::clipboard()->mimeData();
        const auto records = Records(suite::TransferBlockOf(data));
        QCOMPARE(records.size(), std::size_t{1});
        QCOMPARE(records[0].first, std::string("graphics\\walls\\wall.rim"));
        QVERIFY(records[0].second == Wall());
        QVERIFY(data->hasImage());
        const QImage picture =
            qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), QSize(40, 30));
        QCOMPARE(picture, FirstPicture(Wall()));
        QVERIFY(!data->hasFormat("audio/wav"));
    }

    void copyOfOneSoundPutsItsWav() {
        auto dialog = Open({{"sound\\hit.wav", Hit()}, {"sound\\other.wav", Hit()}});
        Select(*dialog, {"hit.wav"});
        CopyByMenu(*dialog);
        QTRY_VERIFY(suite::HoldsTransferBlock(QApplication::clipboard()->mimeData()));
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QCOMPARE(data->data("audio/wav"), AsQt(Hit()));
        QVERIFY(!data->hasImage());
    }

    void copyOfSeveralRowsPutsOnlyTheBlock() {
        auto dialog =
            Open({{"graphics\\walls\\wall.rim", Wall()}, {"graphics\\walls\\a.rim", Wall()}});
        Select(*dialog, {"wall.rim", "a.rim"});
        CopyByMenu(*dialog);
        QTRY_VERIFY(suite::HoldsTransferBlock(QApplication::clipboard()->mimeData()));
        const QMimeData* data = QApplication::clipboard()->mimeData();
        const auto records = Records(suite::TransferBlockOf(data));
        QCOMPARE(records.size(), std::size_t{2});
        QCOMPARE(records[0].first, std::string("graphics\\walls\\a.rim"));  // row order
        QCOMPARE(records[1].first, std::string("graphics\\walls\\wall.rim"));
        QVERIFY(!data->hasImage());
    }

    void dragOffersTheBlockThePictureAndTheFiles() {
        auto dialog = Open({{"graphics\\walls\\wall.rim", Wall()}, {"sound\\hit.wav", Hit()}});
        QTemporaryDir files;
        QVERIFY(files.isValid());

        Select(*dialog, {"wall.rim"});
        auto one = ItemMimeData(dialog->Model(), ModelRows(*dialog), FocusedModelRow(*dialog),
                                ItemMimeUse::Drag, files.path());
        QVERIFY(one != nullptr);
        QCOMPARE(Records(suite::TransferBlockOf(one.get())).size(), std::size_t{1});
        QCOMPARE(qvariant_cast<QImage>(one->imageData()).convertToFormat(QImage::Format_RGB32),
                 FirstPicture(Wall()));
        QCOMPARE(one->urls().size(), 1);
        QCOMPARE(one->urls()[0].toLocalFile(), files.filePath("wall.rim"));
        QVERIFY(qm_test::ReadFile(files.filePath("wall.rim").toStdString()) == Wall());

        Select(*dialog, {"hit.wav", "wall.rim"});
        QTemporaryDir more;
        auto both = ItemMimeData(dialog->Model(), ModelRows(*dialog), FocusedModelRow(*dialog),
                                 ItemMimeUse::Drag, more.path());
        QVERIFY(both != nullptr);
        QCOMPARE(both->urls().size(), 2);
        QVERIFY(qm_test::ReadFile(more.filePath("hit.wav").toStdString()) == Hit());
        QVERIFY(!both->hasImage());
        QVERIFY(!both->hasFormat("audio/wav"));  // a drag carries no sound of its own

        // One sound row: the drag has no picture and no WAV form, only the block and the file.
        Select(*dialog, {"hit.wav"});
        QTemporaryDir sound;
        auto wav = ItemMimeData(dialog->Model(), ModelRows(*dialog), FocusedModelRow(*dialog),
                                ItemMimeUse::Drag, sound.path());
        QVERIFY(!wav->hasFormat("audio/wav"));
        QCOMPARE(wav->urls().size(), 1);

        List(*dialog)->clearSelection();
        QVERIFY(ItemMimeData(dialog->Model(), {}, -1, ItemMimeUse::Drag, files.path()) == nullptr);
    }

    void insertInTheListSendsTheBlockToPatchBench() {
        FakePatchBench editor;
        QVERIFY(editor.Listening());
        auto dialog =
            Open({{"graphics\\walls\\wall.rim", Wall()}, {"graphics\\walls\\a.rim", Wall()}});
        Select(*dialog, {"wall.rim"});
        editor.Expect(2);
        QTest::keyClick(List(*dialog), Qt::Key_Insert);
        const auto received = editor.Received();
        QCOMPARE(received.size(), std::size_t{2});
        QCOMPARE(received[0].kind, std::string(suite::kSysCommandMessage));
        QCOMPARE(received[1].kind, std::string("WM_COPYDATA 2"));
        const QByteArray block(reinterpret_cast<const char*>(received[1].data.data()),
                               static_cast<qsizetype>(received[1].data.size()));
        const auto records = Records(block);
        QCOMPARE(records.size(), std::size_t{1});
        QCOMPARE(records[0].first, std::string("graphics\\walls\\wall.rim"));
        QVERIFY(records[0].second == Wall());
    }

    void patchButtonWithoutSelectionOnlyRaisesPatchBench() {
        qm::ScriptedMessageBoxes boxes;
        FakePatchBench editor;
        QVERIFY(editor.Listening());
        auto dialog = Open({{"graphics\\walls\\wall.rim", Wall()}});
        List(*dialog)->clearSelection();
        editor.Expect(2);
        auto* patch = dialog->findChild<QPushButton*>("patch");
        QVERIFY(patch->isEnabled());
        QTest::mouseClick(patch, Qt::LeftButton);
        const auto received = editor.Received();
        QCOMPARE(received.size(), std::size_t{1});
        QCOMPARE(received[0].kind, std::string(suite::kSysCommandMessage));
        QVERIFY(boxes.Asked().empty());
    }

    void longListShowsEveryRowAndScrollsToALateOne() {
        std::vector<ListRow> rows;
        for (int i = 0; i < 5000; ++i) {
            const std::string name = "texture" + std::to_string(10000 + i) + ".rim";
            rows.push_back({name, i % 3 == 0 ? 5 : 4, nullptr, "graphics\\many\\" + name});
        }
        ItemListWidget list;
        list.resize(240, 160);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.ShowRows(rows);
        QCOMPARE(list.count(), 5000);
        QCOMPARE(list.item(4321)->text(), QStringLiteral("texture14321.rim"));
        QCOMPARE(list.item(4321)->toolTip(), QStringLiteral("graphics\\many\\texture14321.rim"));
        QCOMPARE(list.item(4321)->data(ItemListWidget::kRowRole).toInt(), 4321);
        QVERIFY(!list.item(4321)->icon().isNull());
        QListWidgetItem* late = list.item(4900);
        list.setCurrentItem(late);
        list.ScrollToWhenLaidOut(late);
        QTRY_VERIFY(list.viewport()->rect().contains(list.visualItemRect(late)));
        // A refill forgets where the previous list wanted to go.
        list.ScrollToWhenLaidOut(list.item(10));
        list.ShowRows(rows);
        QTRY_VERIFY(!list.visualItemRect(list.item(4999)).isEmpty());
        QVERIFY(list.viewport()->rect().contains(list.visualItemRect(list.item(0))));
    }
};

QTEST_MAIN(MainDialogTransferTest)
#include "main_dialog_transfer_test.moc"
