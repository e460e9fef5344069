// The main dialog off screen, against a demo game: layout, tree and list, preview and info
// line, zoom, keys, menus, the database failure message, position and reload.
#include "texbench/dialogs/main_dialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

#include "platform/message_box.h"
#include "platform/sound.h"
#include "suite/qt/dialog_units.h"
#include "suite/qt/preview_control.h"
#include "suite/sound_description.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/browser/browser_model.h"
#include "texbench/dialogs/export_dialog.h"
#include "texbench/imaging/bmp_image.h"
#include "tools/demogame/demo_game.h"

using namespace texbench;

namespace {

std::string FolderOf(const std::string& itemPath) {
    return itemPath.substr(0, itemPath.rfind('\\'));
}
std::string NameOf(const std::string& itemPath) {
    return itemPath.substr(itemPath.rfind('\\') + 1);
}

const demogame::DemoTexture& TextureWhere(
    const std::function<bool(const demogame::DemoTexture&)>& wanted) {
    for (const auto& texture : demogame::DemoTextures()) {
        if (wanted(texture)) {
            return texture;
        }
    }
    qFatal("the demo game has no such texture");
}

// The database folder that holds an item, as the tree shows it.
std::string DatabaseFolderOf(const std::string& itemPath) {
    for (const auto& fastfile : demogame::DemoFastfiles()) {
        if (!fastfile.folder.empty() &&
            itemPath.compare(0, fastfile.folder.size(), fastfile.folder) == 0) {
            return fastfile.folder;
        }
    }
    return FolderOf(itemPath);
}

// Answers the next pop-up menu: records its entries and closes it, or triggers one entry.
struct MenuEntry {
    QString text;
    bool enabled;
    bool checked;
};

class MenuWatcher {
  public:
    explicit MenuWatcher(QString trigger = {}) : trigger_(std::move(trigger)) {
        QTimer::singleShot(50, [this] { Inspect(); });
    }
    const QList<MenuEntry>& Entries() const { return entries_; }
    QString MenuName() const { return name_; }
    bool Seen() const { return seen_; }

  private:
    void Inspect() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        seen_ = true;
        name_ = menu->objectName();
        QAction* toTrigger = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) {
                continue;
            }
            entries_.append({action->text(), action->isEnabled(), action->isChecked()});
            if (action->text() == trigger_) {
                toTrigger = action;
            }
        }
        if (toTrigger != nullptr) {
            menu->setActiveAction(toTrigger);  // chosen as the user would, with Enter
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
    }

    QString trigger_;
    QList<MenuEntry> entries_;
    QString name_;
    bool seen_ = false;
};

// Cancels the next modal dialog once it shows (Properties on a texture opens one).
void CancelNextModalDialog(bool* seen = nullptr) {
    QTimer::singleShot(50, [seen] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            if (seen != nullptr) {
                *seen = true;
            }
            modal->reject();
        }
    });
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<MainDialog> Open(const QString& commandLine = {}) {
        auto dialog =
            std::make_unique<MainDialog>(browser_test::Game().Lib(), settings_, commandLine);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) {
            qWarning("the dialog was not exposed");
        }
        return dialog;
    }
    static QTreeWidget* Tree(MainDialog& d) { return d.findChild<QTreeWidget*>("tree"); }
    static QListWidget* List(MainDialog& d) { return d.findChild<QListWidget*>("list"); }
    static suite::PreviewControl* Preview(MainDialog& d) {
        return d.findChild<suite::PreviewControl*>("preview");
    }
    static QString Info(MainDialog& d) { return d.findChild<QLabel*>("info")->text(); }

    static QString CurrentNodePath(MainDialog& d) {
        QStringList parts;
        for (QTreeWidgetItem* item = Tree(d)->currentItem(); item != nullptr;
             item = item->parent()) {
            parts.prepend(item->text(0));
        }
        return parts.join('\\');
    }
    // Clicks a tree node by its path of texts.
    static void SelectNode(MainDialog& d, const std::string& path) {
        QTreeWidget* tree = Tree(d);
        QTreeWidgetItem* item = nullptr;
        for (const QString& part : QString::fromStdString(path).split('\\')) {
            QTreeWidgetItem* next = nullptr;
            const int count = item != nullptr ? item->childCount() : tree->topLevelItemCount();
            for (int i = 0; i < count && next == nullptr; ++i) {
                QTreeWidgetItem* child = item != nullptr ? item->child(i) : tree->topLevelItem(i);
                if (child->text(0).compare(part, Qt::CaseInsensitive) == 0) {
                    next = child;
                }
            }
            QVERIFY2(next != nullptr, path.c_str());
            item = next;
            item->setExpanded(true);
        }
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(item).center());
        QCOMPARE(tree->currentItem(), item);
    }
    static void ClickRow(MainDialog& d, const std::string& name) {
        QListWidget* list = List(d);
        const auto found = list->findItems(QString::fromStdString(name), Qt::MatchExactly);
        QVERIFY2(found.size() == 1, name.c_str());
        list->scrollToItem(found.front());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.front()).center());
        QVERIFY(found.front()->isSelected());
    }
    // Selects the folder and row of an item path.
    static void ShowItem(MainDialog& d, const std::string& itemPath) {
        SelectNode(d, DatabaseFolderOf(itemPath));
        ClickRow(d, NameOf(itemPath));
    }

    // The item paths of a demo Fastfile as saved on disk.
    static QStringList SavedPaths(const std::string& fastfile) {
        const PACKLIBEXPORT& lib = browser_test::Game().Lib();
        const std::string path = browser_test::Game().Root() + "/game/fastfile/" + fastfile;
        FFLARCHIVE* archive = lib.FFLOpenArchive(path.c_str());
        QStringList paths;
        for (FFLITEM* item = lib.FFLGetFirstItem(archive); item != nullptr;
             item = lib.FFLGetNextItem(item)) {
            paths << QString::fromLatin1(lib.FFLGetItemPath(item));
        }
        lib.FFLCloseArchive(archive);
        return paths;
    }
    static QStringList RowTexts(MainDialog& d) {
        QStringList texts;
        for (int i = 0; i < List(d)->count(); ++i) {
            texts << List(d)->item(i)->text();
        }
        return texts;
    }

    CIniDocument settings_;

  private slots:
    void initTestCase() {
        QVERIFY2(browser_test::Game().Bound(), browser_test::Game().BindError().c_str());
    }
    void init() {
        settings_.Clear();
        std::string error;
        QVERIFY2(browser_test::FreshDemoGame(&error), error.c_str());
    }

    void LayoutFollowsTheDialogTemplate() {
        auto dialog = Open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Skinwright"));
        QCOMPARE(dialog->size(), suite::DialogUnits(dialog->font()).Size(295, 210));
        QVERIFY(dialog->minimumSize() == dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
        const suite::DialogUnits du(dialog->font());
        QCOMPARE(Tree(*dialog)->geometry(), du.Rect(7, 18, 120, 100));
        QCOMPARE(List(*dialog)->geometry(), du.Rect(7, 126, 120, 77));
        QCOMPARE(Preview(*dialog)->geometry(), du.Rect(136, 18, 152, 128));
        QCOMPARE(Info(*dialog), QStringLiteral("[no selection]"));
        const struct {
            const char* name;
            const char* text;
            bool enabled;
        } buttons[] = {{"import", "&Import...", false}, {"export", "&Export...", false},
                       {"about", "&About...", true},    {"open", "&Open", true},
                       {"patch", "&Patch", true},       {"close", "&Close", true}};
        for (const auto& b : buttons) {
            auto* button = dialog->findChild<QPushButton*>(b.name);
            QVERIFY2(button != nullptr, b.name);
            QCOMPARE(button->text(), QString::fromLatin1(b.text));
            QCOMPARE(button->isEnabled(), b.enabled);
        }
        // The first root is selected and expanded; it carries no Fastfile.
        QCOMPARE(CurrentNodePath(*dialog), QStringLiteral("graphics"));
        QVERIFY(Tree(*dialog)->currentItem()->isExpanded());
        QCOMPARE(List(*dialog)->count(), 0);
    }

    void SelectingATextureShowsItsPictureAndInfoLine() {
        settings_.SetString("Settings.UI", "Reset Zoom", "0");
        auto dialog = Open();
        const auto& texture = TextureWhere([](const auto& t) { return t.transparent; });
        ShowItem(*dialog, texture.itemPath);
        QVERIFY(Preview(*dialog)->HasPicture());
        QCOMPARE(Info(*dialog), QString("%1 * %2 pixel, %3 bpp (transparent)")
                                    .arg(texture.width)
                                    .arg(texture.height)
                                    .arg(texture.bitsPerPixel));
        // The list shows every item of the Fastfile, sorted without regard to case.
        QStringList names;
        for (int i = 0; i < List(*dialog)->count(); ++i) {
            names << List(*dialog)->item(i)->text();
        }
        QStringList sorted = names;
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(names, sorted);
    }

    void SmallPictureIsDrawnAtItsSizeAndZoomedByAClick() {
        auto dialog = Open();  // "Reset Zoom" defaults to on
        const auto& small =
            TextureWhere([](const auto& t) { return t.width == 40 && t.height == 30; });
        ShowItem(*dialog, small.itemPath);
        suite::PreviewControl* preview = Preview(*dialog);
        QVERIFY(preview->HasPicture());
        QCOMPARE(Info(*dialog), QString("40 * 30 pixel, %1 bpp").arg(small.bitsPerPixel));
        suite::PreviewPlacement p = preview->Placement();
        QCOMPARE(QSize(p.pictureW, p.pictureH), QSize(40, 30));
        QCOMPARE(p.pictureX, 2 + (preview->width() - 44) / 2);

        QTest::mouseClick(preview, Qt::LeftButton, {}, QPoint(p.pictureX + 5, p.pictureY + 5));
        QVERIFY(preview->Zoomed());
        p = preview->Placement();
        // Scaled up until one side fills the control less its edge.
        QVERIFY(p.pictureW > 40 && p.pictureH > 30);
        QVERIFY(p.pictureW <= preview->width() - 4 && p.pictureH <= preview->height() - 4);
        QVERIFY(preview->width() - 4 - p.pictureW <= 1 || preview->height() - 4 - p.pictureH <= 1);

        // Another item in the same folder: the zoom is reset.
        std::string other;
        for (const auto& t : demogame::DemoTextures()) {
            if (t.itemPath != small.itemPath &&
                DatabaseFolderOf(t.itemPath) == DatabaseFolderOf(small.itemPath)) {
                other = t.itemPath;
            }
        }
        QVERIFY(!other.empty());
        ClickRow(*dialog, NameOf(other));
        QVERIFY(preview->HasPicture());
        QVERIFY(!preview->Zoomed());
    }

    void ZoomStaysWithoutResetZoom() {
        settings_.SetString("Settings.UI", "Reset Zoom", "0");
        auto dialog = Open();
        const auto& small =
            TextureWhere([](const auto& t) { return t.width == 40 && t.height == 30; });
        ShowItem(*dialog, small.itemPath);
        Preview(*dialog)->SetZoom(true);
        QListWidget* list = List(*dialog);
        const int other = list->currentRow() == 0 ? 1 : 0;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(other)).center());
        QVERIFY(Preview(*dialog)->Zoomed());
    }

    void SoundRowShowsTheSoundDescription() {
        settings_.SetString("Settings.UI", "No Snd", "0");
        auto dialog = Open();
        const auto& sound = demogame::DemoSounds().front();
        SelectNode(*dialog, FolderOf(sound.itemPath));
        ClickRow(*dialog, NameOf(sound.itemPath));
        const FFLITEM* item = nullptr;
        for (const ListRow& row : dialog->Model().Rows()) {
            if (row.name == NameOf(sound.itemPath)) {
                item = row.item;
            }
        }
        QVERIFY(item != nullptr);
        QCOMPARE(Info(*dialog),
                 QString::fromStdString(suite::DescribeSoundItem(item->lpData, item->dwSize)));
        QVERIFY(!Preview(*dialog)->HasPicture());
    }

    // Enter, a double click and the list menu's Play each hand the item's bytes to the sound
    // service from memory; the selection stays. Enter on a texture plays nothing.
    void PlayOnASoundRowPlaysIt() {
        settings_.SetString("Settings.UI", "No Snd", "0");
        qm::RecordingSoundOutput sound;
        auto dialog = Open();
        const auto& demo = demogame::DemoSounds().front();
        SelectNode(*dialog, FolderOf(demo.itemPath));
        ClickRow(*dialog, NameOf(demo.itemPath));
        const int row = List(*dialog)->currentRow();
        const FFLITEM* item = dialog->Model()
                                  .Rows()[static_cast<std::size_t>(
                                      List(*dialog)->currentItem()->data(Qt::UserRole).toInt())]
                                  .item;
        const auto pcm = qm::ReadPcmWave(std::span<const std::uint8_t>(item->lpData, item->dwSize));
        QVERIFY(pcm.has_value());

        QTest::keyClick(List(*dialog), Qt::Key_Return);
        QCOMPARE(sound.Requests().size(), std::size_t{1});
        QVERIFY(sound.Current() != nullptr);
        QVERIFY(sound.Current()->samples == pcm->samples);
        QVERIFY(!sound.CurrentLoops());

        const QRect rect = List(*dialog)->visualItemRect(List(*dialog)->currentItem());
        QTest::mouseDClick(List(*dialog)->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(sound.Requests().size(), std::size_t{2});
        {
            MenuWatcher watcher(QStringLiteral("Play\tReturn"));
            emit List(*dialog)->customContextMenuRequested(rect.center());
            QCOMPARE(watcher.MenuName(), QStringLiteral("Sound"));
        }
        QCOMPARE(sound.Requests().size(), std::size_t{3});
        QCOMPARE(List(*dialog)->currentRow(), row);
        QCOMPARE(List(*dialog)->selectedItems().size(), 1);
        QVERIFY(List(*dialog)->currentItem()->isSelected());
        QVERIFY(dialog->isVisible());  // Enter did not close the dialog

        // Without a selected row nothing plays.
        List(*dialog)->clearSelection();
        QTest::keyClick(List(*dialog), Qt::Key_Return);
        QCOMPARE(sound.Requests().size(), std::size_t{3});

        ShowItem(*dialog, demogame::DemoTextures().front().itemPath);
        bool propertiesShown = false;
        CancelNextModalDialog(&propertiesShown);
        QTest::keyClick(List(*dialog), Qt::Key_Return);
        QVERIFY(propertiesShown);  // a texture's Enter is its properties
        QCOMPARE(sound.Requests().size(), std::size_t{3});
    }

    void MissingDatabaseIsReportedAndTheTreeStaysEmpty() {
        browser_test::Game().Empty();
        qm::ScriptedMessageBoxes boxes;
        auto dialog = Open();
        QCOMPARE(boxes.Asked().size(), std::size_t{1});
        QCOMPARE(boxes.Asked()[0].text, std::string("Failed to open the Fastfile database!"));
        QCOMPARE(boxes.Asked()[0].caption, std::string("Skinwright"));
        QVERIFY(boxes.Asked()[0].icon == qm::MessageBoxIcon::Error);
        QCOMPARE(Tree(*dialog)->topLevelItemCount(), 0);
    }

    void EnterOnTheTreeShowsFolderProperties() {
        qm::ScriptedMessageBoxes boxes;
        auto dialog = Open();
        QTest::keyClick(Tree(*dialog), Qt::Key_Return);  // "graphics" has children
        QVERIFY(boxes.Asked().empty());

        const auto& texture = demogame::DemoTextures().front();
        SelectNode(*dialog, DatabaseFolderOf(texture.itemPath));
        QTest::keyClick(Tree(*dialog), Qt::Key_Return);
        QCOMPARE(boxes.Asked().size(), std::size_t{1});
        QCOMPARE(boxes.Asked()[0].caption, std::string("Folder Properties"));
        QVERIFY(boxes.Asked()[0].icon == qm::MessageBoxIcon::Information);
        QVERIFY(boxes.Asked()[0].text.starts_with(
            "Folder:   '" + DatabaseFolderOf(texture.itemPath) + "'\nFilename: '"));
        QVERIFY(boxes.Asked()[0].text.ends_with(" Images (*.RIM)"));
        QVERIFY(dialog->isVisible());  // Enter did not close the dialog
    }

    void F5RebuildsTheTreeOrRefillsTheList() {
        auto dialog = Open();
        const auto& texture = demogame::DemoTextures().front();
        ShowItem(*dialog, texture.itemPath);
        const int rows = List(*dialog)->count();
        QTest::keyClick(List(*dialog), Qt::Key_F5);
        QCOMPARE(List(*dialog)->count(), rows);
        QCOMPARE(Info(*dialog), QStringLiteral("[no selection]"));
        QVERIFY(!Preview(*dialog)->HasPicture());

        QTest::keyClick(Tree(*dialog), Qt::Key_F5);
        QCOMPARE(CurrentNodePath(*dialog), QStringLiteral("graphics"));
        QCOMPARE(List(*dialog)->count(), 0);
    }

    void ContextMenusOfferThePartsCommands() {
        auto dialog = Open();
        const auto& texture = demogame::DemoTextures().front();
        SelectNode(*dialog, DatabaseFolderOf(texture.itemPath));
        {
            MenuWatcher watcher;
            emit List(*dialog)->customContextMenuRequested(QPoint(2, 2));
            QVERIFY(watcher.Seen());
            QCOMPARE(watcher.MenuName(), QStringLiteral("Texture"));
            QStringList enabled;
            QStringList all;
            for (const MenuEntry& e : watcher.Entries()) {
                all << e.text;
                if (e.enabled) {
                    enabled << e.text;
                }
            }
            QCOMPARE(all, QStringList({"Add to Patch\tIns", "Rename\tF2", "Delete\tDel", "Copy",
                                       "Paste", "Refresh\tF5", "Properties...\tReturn"}));
            QCOMPARE(enabled, QStringList({"Refresh\tF5"}));
        }
        {
            MenuWatcher watcher;
            const QTreeWidgetItem* item = Tree(*dialog)->currentItem();
            emit Tree(*dialog)->customContextMenuRequested(
                Tree(*dialog)->visualItemRect(item).center());
            QVERIFY(watcher.Seen());
            QStringList enabled;
            for (const MenuEntry& e : watcher.Entries()) {
                if (e.enabled) {
                    enabled << e.text;
                }
            }
            // A database folder without sub-folders: everything applies.
            QCOMPARE(enabled, QStringList({"Insert\tIns", "Rename\tF2", "Delete\tDel",
                                           "Refresh\tF5", "Properties...\tReturn"}));
        }
    }

    // Menu entries and buttons run their command, and Enter in the list is taken without
    // reaching the dialog's default button.
    void MenusAndButtonsRunTheirCommands() {
        qm::ScriptedMessageBoxes boxes;
        auto dialog = Open();
        const auto& texture = demogame::DemoTextures().front();
        ShowItem(*dialog, texture.itemPath);
        QVERIFY(Preview(*dialog)->HasPicture());
        {
            MenuWatcher watcher(QStringLiteral("Refresh\tF5"));
            emit List(*dialog)->customContextMenuRequested(QPoint(2, 2));
            QVERIFY(watcher.Seen());
        }
        QVERIFY(!Preview(*dialog)->HasPicture());  // the list was filled again
        QCOMPARE(Info(*dialog), QStringLiteral("[no selection]"));
        {
            MenuWatcher watcher(QStringLiteral("Properties...\tReturn"));
            const QTreeWidgetItem* item = Tree(*dialog)->currentItem();
            emit Tree(*dialog)->customContextMenuRequested(
                Tree(*dialog)->visualItemRect(item).center());
            QVERIFY(watcher.Seen());
        }
        QCOMPARE(boxes.Asked().size(), std::size_t{1});
        QCOMPARE(boxes.Asked()[0].caption, std::string("Folder Properties"));

        ClickRow(*dialog, NameOf(texture.itemPath));
        CancelNextModalDialog();
        QTest::keyClick(List(*dialog), Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(dialog->findChild<QPushButton*>("close"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }

    void OpenMenuMarksTheModeAndSwitches() {
        auto dialog = Open();
        {
            MenuWatcher watcher;
            QTest::mouseClick(dialog->findChild<QPushButton*>("open"), Qt::LeftButton);
            QVERIFY(watcher.Seen());
            // Database, Fastfile... and the Patch pop-up.
            QCOMPARE(watcher.Entries().size(), 3);
            QCOMPARE(watcher.Entries()[0].text, QStringLiteral("Database"));
            QCOMPARE(watcher.Entries()[2].text, QStringLiteral("Patch"));
            QVERIFY(watcher.Entries()[0].checked);
            QVERIFY(!watcher.Entries()[1].checked);
        }
        const std::string extras = browser_test::Game().Fastfiles() + "Extras.ffl";
        QByteArray text = QByteArray::fromStdString(extras);
        text.append('\0');
        QVERIFY(dialog->OpenFromOtherProgram(text));
        QVERIFY(dialog->Model().Mode() == BrowserMode::SingleFastfile);
        QCOMPARE(CurrentNodePath(*dialog), QStringLiteral("graphics"));
        QVERIFY(!dialog->OpenFromOtherProgram(QByteArray()));
        {
            MenuWatcher watcher(QStringLiteral("Database"));
            QTest::mouseClick(dialog->findChild<QPushButton*>("open"), Qt::LeftButton);
            QVERIFY(watcher.Entries()[1].checked);
        }
        QVERIFY(dialog->Model().Mode() == BrowserMode::Database);
    }

    void PositionIsRestoredWhenOnScreenAndWrittenBack() {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        struct Case {
            int x, y;
            bool moved;
        };
        const Case cases[] = {{30, 40, true},
                              {-1, 40, false},
                              {30, -5, false},
                              {screen.width(), 10, false},
                              {10, screen.height(), false}};
        for (const Case& c : cases) {
            settings_.Clear();
            settings_.SetInt("Settings", "Pos X", c.x);
            settings_.SetInt("Settings", "Pos Y", c.y);
            QPoint at;
            {
                MainDialog dialog(browser_test::Game().Lib(), settings_, QString());
                at = dialog.pos();
                QCOMPARE(at == QPoint(c.x, c.y), c.moved);
            }
            QCOMPARE(settings_.GetInt("Settings", "Pos X", -99), at.x());
            QCOMPARE(settings_.GetInt("Settings", "Pos Y", -99), at.y());
        }
    }

    void DeleteKeySavesAndSelectsTheRowThatTookTheDeletedOnesPlace() {
        qm::ScriptedMessageBoxes boxes({qm::MessageBoxResult::Yes});
        auto dialog = Open();
        ShowItem(*dialog, "graphics\\Predator\\Hud\\targeting.rim");
        QCOMPARE(RowTexts(*dialog), QStringList({"mask.rim", "targeting.rim", "vision.rim"}));
        QCOMPARE(List(*dialog)->currentItem()->toolTip(),
                 QStringLiteral("graphics\\Predator\\Hud\\targeting.rim"));

        QTest::keyClick(List(*dialog), Qt::Key_Delete);
        QCOMPARE(boxes.Asked().size(), std::size_t{1});
        QCOMPARE(boxes.Asked()[0].text,
                 std::string("Are you sure you want to delete the selected File(s) from this "
                             "archive?"));
        QCOMPARE(RowTexts(*dialog), QStringList({"mask.rim", "vision.rim"}));
        QCOMPARE(SavedPaths("Predator.ffl"), QStringList({"graphics\\Predator\\Hud\\vision.rim",
                                                          "graphics\\Predator\\mask.rim"}));
        QListWidgetItem* current = List(*dialog)->currentItem();
        QVERIFY(current != nullptr);
        QCOMPARE(current->text(), QStringLiteral("vision.rim"));
        QVERIFY(current->isSelected());
        QVERIFY(Preview(*dialog)->HasPicture());  // the selected row is shown
    }

    void F2RenamesTheRowByItsLabelAndSavesAtOnce() {
        qm::ScriptedMessageBoxes boxes;
        auto dialog = Open();
        ShowItem(*dialog, "graphics\\Predator\\mask.rim");
        QTest::keyClick(List(*dialog), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor != nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, "zmask.rim");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(RowTexts(*dialog), QStringList({"targeting.rim", "vision.rim", "zmask.rim"}));
        QCOMPARE(List(*dialog)->currentItem()->text(), QStringLiteral("zmask.rim"));
        QVERIFY(List(*dialog)->currentItem()->isSelected());
        QVERIFY(SavedPaths("Predator.ffl").contains("graphics\\Predator\\zmask.rim"));
        QVERIFY(boxes.Asked().empty());

        // Escape cancels the edit: nothing changes.
        QTest::keyClick(List(*dialog), Qt::Key_F2);
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor != nullptr);
        QTest::keyClicks(editor, "other.rim");
        QTest::keyClick(editor, Qt::Key_Escape);
        QTest::qWait(20);
        QCOMPARE(RowTexts(*dialog), QStringList({"targeting.rim", "vision.rim", "zmask.rim"}));
    }

    void ExportDialogNameFollowsTheChoiceAndType() {
        {
            ExportFileDialog dialog(nullptr, suite::ItemKind::Image, QDir::tempPath(), 3,
                                    "skin.rim", false);
            auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
            auto* selected = dialog.findChild<QRadioButton*>("selected files");
            auto* all = dialog.findChild<QRadioButton*>("all files");
            QVERIFY(name != nullptr && selected != nullptr && all != nullptr);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Export Image"));
            QVERIFY(selected->isChecked() && selected->isEnabled());
            QCOMPARE(name->text(), QStringLiteral("skin.bmp"));
            QVERIFY(name->isEnabled());
            all->click();
            QCOMPARE(name->text(), QStringLiteral("All Files.bmp"));
            QVERIFY(!name->isEnabled());
            QVERIFY(dialog.Choice().allFiles);
            selected->click();
            QCOMPARE(name->text(), QStringLiteral("skin.bmp"));
        }
        {
            ExportFileDialog dialog(nullptr, suite::ItemKind::Sound, QDir::tempPath(), 1, "",
                                    false);
            auto* selected = dialog.findChild<QRadioButton*>("selected files");
            QVERIFY(!selected->isEnabled());
            QVERIFY(dialog.findChild<QRadioButton*>("all files")->isChecked());
            QCOMPARE(dialog.findChild<QLineEdit*>("fileNameEdit")->text(),
                     QStringLiteral("All Files.wav"));
        }
        {
            ExportFileDialog dialog(nullptr, suite::ItemKind::Image, QDir::tempPath(), 5, "", true);
            QCOMPARE(dialog.findChild<QLineEdit*>("fileNameEdit")->text(),
                     QStringLiteral("Selected Files.tga"));
            QVERIFY(!dialog.findChild<QLineEdit*>("fileNameEdit")->isEnabled());
            QVERIFY(dialog.findChild<QRadioButton*>("selected files")->isChecked());
        }
    }

    // The export button with the dialog answered: several rows go to the directory as
    // bitmaps; one row goes to exactly the typed name, with the bitmap extension forced.
    void ExportButtonWritesTheRowsAsChosen() {
        qm::ScriptedMessageBoxes boxes;
        const QString out = QString::fromStdString(browser_test::Game().Root() + "/out");
        QDir(out).removeRecursively();
        QVERIFY(QDir().mkpath(out));
        settings_.SetString("Settings.Export", "Export Path", out.toStdString().c_str());
        settings_.SetInt("Settings.Export", "Export Type", 3);
        auto dialog = Open();
        ShowItem(*dialog, "graphics\\Predator\\mask.rim");
        List(*dialog)->selectAll();
        const auto answer = [](const QString& typed) {
            QTimer::singleShot(50, [typed] {
                auto* files = qobject_cast<ExportFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(files != nullptr);
                if (!typed.isEmpty()) {
                    files->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
                }
                QMetaObject::invokeMethod(files, "accept");
            });
        };
        answer({});
        QTest::mouseClick(dialog->findChild<QPushButton*>("export"), Qt::LeftButton);
        for (const char* name : {"mask.bmp", "targeting.bmp", "vision.bmp"}) {
            CBmpImage bmp;
            QVERIFY2(bmp.LoadFile((out + "/" + name).toStdString()), name);
        }
        QVERIFY(boxes.Asked().empty());

        ClickRow(*dialog, "vision.rim");
        answer(QStringLiteral("my pick.tga"));
        QTest::mouseClick(dialog->findChild<QPushButton*>("export"), Qt::LeftButton);
        CBmpImage bmp;
        QVERIFY(bmp.LoadFile((out + "/my pick.bmp").toStdString()));
        QCOMPARE(bmp.GetWidth(), 64u);
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 4);
        QCOMPARE(settings_.GetString("Settings.Export", "Export Path", ""),
                 (out + "/").toStdString());
    }

    void ReloadKeepsTheSelectedFolderAndRow() {
        auto dialog = Open();
        const auto& texture = demogame::DemoTextures().front();
        ShowItem(*dialog, texture.itemPath);
        const QString info = Info(*dialog);
        const QString node = CurrentNodePath(*dialog);

        dialog->Reload();
        QCOMPARE(CurrentNodePath(*dialog), node);
        QListWidgetItem* current = List(*dialog)->currentItem();
        QVERIFY(current != nullptr);
        QCOMPARE(current->text(), QString::fromStdString(NameOf(texture.itemPath)));
        QVERIFY(current->isSelected());
        QCOMPARE(Info(*dialog), info);
        QVERIFY(Preview(*dialog)->HasPicture());
    }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
