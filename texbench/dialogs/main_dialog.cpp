#include "texbench/dialogs/main_dialog.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <span>

#include "platform/message_box.h"
#include "suite/qt/dialog_units.h"
#include "suite/qt/preview_control.h"
#include "texbench/browser/browser_model.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/browser/menu_rules.h"
#include "texbench/dialogs/about_box.h"
#include "texbench/dialogs/wait_cursor.h"
#include "texbench/imaging/qt/qimage_bridge.h"
#include "texbench/widgets/icon_strip.h"
#include "texbench/widgets/program_icon.h"

namespace texbench {
namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kRowRole = Qt::UserRole;

// The item commands (import, export, rename, delete, copy, paste, add to patch, properties,
// play) are not part of this build: their buttons and menu entries are shown disabled.
constexpr bool kItemCommandsBuilt = false;

// The clipboard format in which items travel between the suite's programs.
const QString kItemClipboardFormat = QStringLiteral("Quillmark Fastfile Patch");

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QIcon TreeIcon(int normal, int selected) {
    QIcon icon = StripIcon(normal);
    if (selected != normal) {
        icon.addPixmap(StripIcon(selected).pixmap(kStripIconSize, kStripIconSize), QIcon::Selected);
    }
    return icon;
}

QAction* AddCommand(QMenu& menu, const char* text, bool enabled) {
    QAction* action = menu.addAction(QString::fromLatin1(text));
    action->setEnabled(enabled);
    return action;
}

bool ClipboardHoldsItems() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasFormat(kItemClipboardFormat);
}

}  // namespace

MainDialog::MainDialog(const PACKLIBEXPORT& packLib, CIniDocument& settings,
                       const QString& commandLine, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      model_(std::make_unique<BrowserModel>(packLib, settings)),
      settings_(settings) {
    WaitCursor wait;
    setWindowTitle(QString::fromLatin1(kProductName));
    setWindowIcon(ProgramIcon());
    CreateControls();

    if (model_->OpenFromCommandLine(commandLine.toLocal8Bit().toStdString())) {
        qm::ShowMessageBox(kDatabaseFailed, kProductName, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Error);
    }
    info_->setText(QString::fromLatin1(kNoSelection));
    preview_->SetResetZoom(model_->ResetZoomSetting());
    BuildTree();
    PlaceAtSavedPosition();
}

MainDialog::~MainDialog() {
    // pos() is the restored position even while the dialog is minimised.
    settings_.SetInt(kSettingsSection, kKeyPosX, pos().x());
    settings_.SetInt(kSettingsSection, kKeyPosY, pos().y());
    model_.reset();
}

void MainDialog::CreateControls() {
    const suite::DialogUnits du(font());
    setFixedSize(du.Size(295, 210));

    auto* treeLabel = new QLabel(QStringLiteral("Database/Fastfile contents:"), this);
    treeLabel->setGeometry(du.Rect(7, 7, 120, 10));
    auto* previewLabel = new QLabel(QStringLiteral("Preview:"), this);
    previewLabel->setGeometry(du.Rect(136, 7, 120, 10));

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("tree"));
    tree_->setGeometry(du.Rect(7, 18, 120, 100));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setIconSize(QSize(kStripIconSize, kStripIconSize));
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // folder labels never edit
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->installEventFilter(this);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &MainDialog::OnTreeSelectionChanged);
    connect(tree_, &QWidget::customContextMenuRequested, this, &MainDialog::ShowTreeMenu);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("list"));
    list_->setGeometry(du.Rect(7, 126, 120, 77));
    list_->setViewMode(QListView::ListMode);
    list_->setFlow(QListView::LeftToRight);  // small icons, row after row
    list_->setWrapping(true);
    list_->setIconSize(QSize(kStripIconSize, kStripIconSize));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Renaming by label edit belongs to the item commands, which are not built yet.
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);
    connect(list_, &QListWidget::itemSelectionChanged, this, &MainDialog::OnListStateChanged);
    connect(list_, &QListWidget::currentItemChanged, this, &MainDialog::OnListStateChanged);
    connect(list_, &QWidget::customContextMenuRequested, this, &MainDialog::ShowListMenu);

    preview_ = new suite::PreviewControl(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setGeometry(du.Rect(136, 18, 152, 128));

    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("info"));
    info_->setGeometry(du.Rect(136, 150, 152, 10));
    info_->setAlignment(Qt::AlignCenter);

    struct ButtonLayout {
        const char* name;
        const char* text;
        QRect rect;
        bool enabled;
    };
    const ButtonLayout buttons[] = {
        {"import", "&Import...", du.Rect(136, 171, 50, 14), kItemCommandsBuilt},
        {"export", "&Export...", du.Rect(190, 171, 50, 14), kItemCommandsBuilt},
        {"about", "&About...", du.Rect(244, 171, 44, 14), true},
        {"open", "&Open", du.Rect(136, 189, 50, 14), true},
        {"patch", "&Patch", du.Rect(190, 189, 50, 14), kItemCommandsBuilt},
        {"close", "&Close", du.Rect(244, 189, 44, 14), true},
    };
    for (const ButtonLayout& entry : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(entry.text), this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setGeometry(entry.rect);
        button->setEnabled(entry.enabled);
        button->setAutoDefault(false);
        if (QString::fromLatin1(entry.name) == QLatin1String("about")) {
            connect(button, &QPushButton::clicked, this, [this] { AboutBox(this).exec(); });
        } else if (QString::fromLatin1(entry.name) == QLatin1String("open")) {
            openButton_ = button;
            connect(button, &QPushButton::clicked, this, &MainDialog::ShowOpenMenu);
        } else if (QString::fromLatin1(entry.name) == QLatin1String("close")) {
            connect(button, &QPushButton::clicked, this, &QDialog::reject);
        }
    }
}

void MainDialog::PlaceAtSavedPosition() {
    const int x = settings_.GetInt(kSettingsSection, kKeyPosX, -1);
    const int y = settings_.GetInt(kSettingsSection, kKeyPosY, -1);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || x < 0 || y < 0) {
        return;
    }
    const QSize size = screen->geometry().size();
    if (x < size.width() && y < size.height()) {
        move(x, y);
    }
}

void MainDialog::BuildTree() {
    WaitCursor wait;
    model_->BuildTree();
    ShowTree();
    ShowList();
}

void MainDialog::FillList() {
    WaitCursor wait;
    model_->FillList();
    ShowList();
}

void MainDialog::AddTreeItems(QTreeWidgetItem* parentItem, const FolderNode& node) {
    auto* item =
        parentItem != nullptr ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(tree_);
    item->setText(0, FromLocal(node.Text()));
    item->setIcon(0, TreeIcon(node.Icon(), node.SelectedIcon()));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
    for (const auto& child : node.Children()) {
        AddTreeItems(item, *child);
    }
    item->setExpanded(node.Expanded());
}

QTreeWidgetItem* MainDialog::ItemOfNode(const FolderNode* node) const {
    if (node == nullptr) {
        return nullptr;
    }
    const QTreeWidgetItem* parentItem = ItemOfNode(node->Parent());
    const auto& siblings =
        node->Parent() != nullptr ? node->Parent()->Children() : model_->Tree().Roots();
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == node) {
            const int index = static_cast<int>(i);
            return parentItem != nullptr ? parentItem->child(index) : tree_->topLevelItem(index);
        }
    }
    return nullptr;
}

void MainDialog::ShowTree() {
    const QSignalBlocker block(tree_);
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    for (const auto& root : model_->Tree().Roots()) {
        AddTreeItems(nullptr, *root);
    }
    if (QTreeWidgetItem* selected = ItemOfNode(model_->SelectedNode())) {
        tree_->setCurrentItem(selected);
        tree_->scrollToItem(selected, QAbstractItemView::PositionAtTop);
    }
    tree_->setUpdatesEnabled(true);
}

void MainDialog::ShowList() {
    {
        const QSignalBlocker block(list_);
        list_->setUpdatesEnabled(false);
        list_->clear();
        const auto& rows = model_->Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            auto* item =
                new QListWidgetItem(StripIcon(rows[i].icon), FromLocal(rows[i].name), list_);
            item->setData(kRowRole, static_cast<int>(i));
        }
        list_->scrollToTop();
        list_->setUpdatesEnabled(true);
    }
    shownRow_ = -1;
    info_->setText(QString::fromLatin1(kNoSelection));
    preview_->ClearPicture();
}

void MainDialog::OnTreeSelectionChanged() {
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    if (selected.isEmpty()) {
        return;  // only a change to a selected node opens anything
    }
    WaitCursor wait;
    auto* node =
        reinterpret_cast<FolderNode*>(selected.front()->data(0, kNodeRole).value<quintptr>());
    model_->SelectNode(node);
    ShowList();
}

void MainDialog::OnListStateChanged() {
    QListWidgetItem* current = list_->currentItem();
    const auto& rows = model_->Rows();
    int index = current != nullptr && current->isSelected() ? current->data(kRowRole).toInt() : -1;
    if (index >= static_cast<int>(rows.size())) {
        index = -1;
    }
    // One click changes both the focus and the selection: decode the texture only once.
    if (index >= 0 && index == shownRow_) {
        return;
    }
    shownRow_ = index;
    WaitCursor wait;
    info_->setText(QString::fromLatin1(kNoSelection));
    if (index < 0) {
        preview_->ClearPicture();
        return;
    }
    ItemPreview preview = model_->PreviewRow(&rows[static_cast<std::size_t>(index)]);
    const QImage picture = preview.picture.Empty() ? QImage() : ImgToQImage(preview.picture.Get());
    info_->setText(FromLocal(preview.infoLine));
    if (picture.isNull()) {
        preview_->ClearPicture();
    } else {
        preview_->SetPicture(picture);
    }
}

void MainDialog::ShowFolderProperties() {
    const std::optional<std::string> text = model_->FolderPropertiesText();
    if (text) {
        qm::ShowMessageBox(*text, kFolderPropertiesCaption, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Information);
    }
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || (watched != tree_ && watched != list_)) {
        return QDialog::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == tree_) {
        if (key == Qt::Key_F5) {
            BuildTree();
        } else if (enter) {
            ShowFolderProperties();
        } else if (key != Qt::Key_Insert && key != Qt::Key_Delete && key != Qt::Key_F2) {
            return QDialog::eventFilter(watched, event);
        }
        return true;
    }
    if (key == Qt::Key_F5) {
        FillList();
        return true;
    }
    // Enter (Properties), Insert, Delete and F2 are item commands, not built yet; they must
    // not fall through to the dialog's default button either.
    if (enter || key == Qt::Key_Insert || key == Qt::Key_Delete || key == Qt::Key_F2) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::ShowOpenMenu() {
    QMenu menu(this);
    auto* group = new QActionGroup(&menu);
    QAction* database = menu.addAction(QStringLiteral("Database"));
    QAction* fastfile = menu.addAction(QStringLiteral("Fastfile..."));
    for (QAction* action : {database, fastfile}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    database->setChecked(model_->Mode() == BrowserMode::Database);
    fastfile->setChecked(model_->Mode() == BrowserMode::SingleFastfile);
    QAction* chosen = menu.exec(openButton_->mapToGlobal(QPoint(0, openButton_->height())));
    if (chosen == database) {
        OpenDatabase();
    } else if (chosen == fastfile) {
        OpenFastfile();
    }
}

void MainDialog::OpenDatabase() {
    WaitCursor wait;
    model_->OpenDefaultDatabase();
    ShowTree();
    ShowList();
}

void MainDialog::OpenFastfile() {
    const QString file = QFileDialog::getOpenFileName(
        this, QString::fromLatin1(kOpenFastfileTitle), FromLocal(model_->FastfileDialogDirectory()),
        QStringLiteral("Rebellion Fastfile (*.ffl)"), nullptr, QFileDialog::DontResolveSymlinks);
    if (file.isEmpty()) {
        return;
    }
    WaitCursor wait;
    model_->OpenFastfile(file.toLocal8Bit().toStdString());
    ShowTree();
    ShowList();
}

bool MainDialog::OpenFromOtherProgram(const QByteArray& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.constData());
    if (text.isEmpty()) {
        return false;
    }
    WaitCursor wait;
    const bool handled = model_->OpenFromOtherProgram(
        std::span<const unsigned char>(bytes, static_cast<std::size_t>(text.size())));
    ShowTree();
    ShowList();
    return handled;
}

QString MainDialog::FocusedRowText() const {
    const QListWidgetItem* current = list_->currentItem();
    return current != nullptr && current->isSelected() ? current->text() : QString();
}

void MainDialog::Reload() {
    WaitCursor wait;
    const int row = model_->Reload(FocusedRowText().toLocal8Bit().toStdString());
    ShowTree();
    ShowList();
    if (row >= 0 && row < list_->count()) {
        QListWidgetItem* item = list_->item(row);
        list_->setCurrentItem(item);  // selects and focuses it, which shows it
        list_->scrollToItem(item);
    }
}

void MainDialog::ShowTreeMenu(const QPoint& position) {
    if (QTreeWidgetItem* item = tree_->itemAt(position)) {
        tree_->setCurrentItem(item);  // selects it, which opens its Fastfile
    }
    const FolderNode* node = model_->SelectedNode();
    const FolderMenuState state =
        FolderMenuRules(node != nullptr, node != nullptr && node->HasChildren(),
                        model_->Mode() == BrowserMode::Database);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("Folder"));
    // Insert, Rename and Delete of folders have no action in this suite.
    AddCommand(menu, "Insert\tIns", state.insert);
    AddCommand(menu, "Rename\tF2", state.rename);
    AddCommand(menu, "Delete\tDel", state.remove);
    menu.addSeparator();
    QAction* refresh = AddCommand(menu, "Refresh\tF5", state.refresh);
    QAction* properties = AddCommand(menu, "Properties...\tReturn", state.properties);
    QAction* chosen = menu.exec(tree_->viewport()->mapToGlobal(position));
    if (chosen == refresh) {
        BuildTree();
    } else if (chosen == properties) {
        ShowFolderProperties();
    }
}

void MainDialog::ShowListMenu(const QPoint& position) {
    const ListMenuKind kind = ListMenuFor(model_->CurrentArchive());
    if (kind == ListMenuKind::None) {
        return;
    }
    const ListMenuState state =
        ListMenuRules(static_cast<int>(list_->selectedItems().size()), ClipboardHoldsItems());
    QMenu menu(this);
    menu.setObjectName(kind == ListMenuKind::Texture ? QStringLiteral("Texture")
                       : kind == ListMenuKind::Sound ? QStringLiteral("Sound")
                                                     : QStringLiteral("File"));
    AddCommand(menu, "Add to Patch\tIns", state.addToPatch && kItemCommandsBuilt);
    menu.addSeparator();
    AddCommand(menu, "Rename\tF2", state.rename && kItemCommandsBuilt);
    AddCommand(menu, "Delete\tDel", state.remove && kItemCommandsBuilt);
    menu.addSeparator();
    AddCommand(menu, "Copy", state.copy && kItemCommandsBuilt);
    AddCommand(menu, "Paste", state.paste && kItemCommandsBuilt);
    menu.addSeparator();
    QAction* refresh = AddCommand(menu, "Refresh\tF5", state.refresh);
    if (kind == ListMenuKind::Texture) {
        AddCommand(menu, "Properties...\tReturn", state.propertiesOrPlay && kItemCommandsBuilt);
    } else if (kind == ListMenuKind::Sound) {
        AddCommand(menu, "Play\tReturn", state.propertiesOrPlay && kItemCommandsBuilt);
    }
    if (menu.exec(list_->viewport()->mapToGlobal(position)) == refresh) {
        FillList();
    }
}

}  // namespace texbench
