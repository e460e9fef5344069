#include "texbench/dialogs/main_dialog.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
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
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>
#include <chrono>
#include <functional>
#include <span>

#include "platform/message_box.h"
#include "suite/item_kind.h"
#include "suite/qt/dialog_units.h"
#include "suite/qt/preview_control.h"
#include "suite/qt/qt_picture_codec.h"
#include "suite/qt/sound_import_dialog.h"
#include "suite/qt/transfer_mime.h"
#include "suite/sound_item.h"
#include "suite/transfer/transfer_block.h"
#include "texbench/browser/browser_model.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/browser/item_import.h"
#include "texbench/browser/item_transfer.h"
#include "texbench/browser/patch_tools.h"
#include "texbench/dialogs/about_box.h"
#include "texbench/dialogs/export_dialog.h"
#include "texbench/dialogs/export_progress_window.h"
#include "texbench/dialogs/image_import_dialog.h"
#include "texbench/dialogs/image_properties_dialog.h"
#include "texbench/dialogs/item_list.h"
#include "texbench/dialogs/item_mime.h"
#include "texbench/dialogs/main_dialog_skin.h"
#include "texbench/dialogs/wait_cursor.h"
#include "texbench/imaging/qt/qimage_bridge.h"
#include "texbench/properties/texture_write_back.h"
#include "texbench/skins/skin_loader.h"
#include "texbench/widgets/icon_strip.h"
#include "texbench/widgets/program_icon.h"

namespace texbench {
namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kRowRole = ItemListWidget::kRowRole;

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

// Template 102 of the look; start-up has checked that it loads, so the system look's stands
// in only for a dialog made without start-up.
DialogTemplate LayoutOf(const MainDialogLook& look) {
    const SkinState systemLook;
    auto layout = MainDialogTemplate(look.skin != nullptr ? *look.skin : systemLook);
    return layout ? std::move(*layout) : *ParseMainDialogTemplate(BuiltInMainDialogLayout());
}

CommandKey KeyOf(int key) {
    switch (key) {
        case Qt::Key_Insert:
            return CommandKey::Insert;
        case Qt::Key_Delete:
            return CommandKey::Delete;
        case Qt::Key_F2:
            return CommandKey::F2;
        case Qt::Key_F5:
            return CommandKey::F5;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return CommandKey::Return;
        default:
            return CommandKey::None;
    }
}

// The end of a row's label edit goes to the dialog instead of into the row: the rename may be
// refused, and when it is taken the list is filled again, which must not happen while the
// editor is still closing.
class RenameDelegate : public QStyledItemDelegate {
  public:
    RenameDelegate(QObject* parent, std::function<void(int row, const QString&)> finished)
        : QStyledItemDelegate(parent), finished_(std::move(finished)) {}

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        const QString text = editor->property("text").toString();
        const int row = index.data(kRowRole).toInt();
        QMetaObject::invokeMethod(
            parent(), [finished = finished_, row, text] { finished(row, text); },
            Qt::QueuedConnection);
    }

  private:
    std::function<void(int row, const QString&)> finished_;
};

bool ClipboardHoldsItems() {
    return suite::HoldsTransferBlock(QApplication::clipboard()->mimeData());
}

}  // namespace

MainDialog::MainDialog(const PACKLIBEXPORT& packLib, CIniDocument& settings,
                       const QString& commandLine, QWidget* parent, MainDialogLook look)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      model_(std::make_unique<BrowserModel>(packLib, settings)),
      settings_(settings),
      look_(std::move(look)) {
    WaitCursor wait;
    setWindowTitle(QString::fromLatin1(kProductName));
    setWindowIcon(ProgramIcon());
    const DialogTemplate layout = LayoutOf(look_);
    CreateControls(layout);
    new MainDialogSkin(*this, settings_, look_, layout);

    const bool opened = model_->OpenFromCommandLine(commandLine.toLocal8Bit().toStdString());
    ReportOpenFailure();
    if (!opened) {
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
    settings_.SetInt(kPosX.section, kPosX.key, pos().x());
    settings_.SetInt(kPosY.section, kPosY.key, pos().y());
    model_.reset();
}

void MainDialog::CreateControls(const DialogTemplate& layout) {
    const suite::DialogUnits du(font());
    setFixedSize(du.Size(layout.width, layout.height));
    const auto placeOf = [&du, &layout](int id) {
        const ControlTemplate* control = layout.Find(id);
        return du.Rect(control->x, control->y, control->width, control->height);
    };
    for (const ControlTemplate& control : layout.controls) {
        if (control.kind == "label") {
            auto* label = new QLabel(QString::fromLocal8Bit(control.text), this);
            label->setGeometry(du.Rect(control.x, control.y, control.width, control.height));
        }
    }

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("tree"));
    tree_->setGeometry(placeOf(1010));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setIconSize(QSize(kStripIconSize, kStripIconSize));
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // folder labels never edit
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->installEventFilter(this);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &MainDialog::OnTreeSelectionChanged);
    connect(tree_, &QWidget::customContextMenuRequested, this, &MainDialog::ShowTreeMenu);

    list_ = new ItemListWidget(this);
    list_->setObjectName(QStringLiteral("list"));
    list_->setGeometry(placeOf(1011));
    list_->SetDragStarter([this] { DragRows(); });
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A label edit starts only by the Rename command (F2 or the menu), never by a click.
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setItemDelegate(new RenameDelegate(
        this, [this](int row, const QString& name) { FinishRename(row, name); }));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);
    connect(list_, &QListWidget::itemSelectionChanged, this, &MainDialog::OnListStateChanged);
    connect(list_, &QListWidget::currentItemChanged, this, &MainDialog::OnListStateChanged);
    connect(list_, &QWidget::customContextMenuRequested, this, &MainDialog::ShowListMenu);
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this] { RunListKey(CommandKey::Return); });

    preview_ = new suite::PreviewControl(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setGeometry(placeOf(1005));

    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("info"));
    info_->setGeometry(placeOf(1006));
    info_->setAlignment(Qt::AlignCenter);

    for (const ControlTemplate& control : layout.controls) {
        const Command* command = FindCommand(static_cast<CommandId>(control.id));
        if (control.kind != "button" || command == nullptr ||
            command->place != CommandPlace::Button) {
            continue;
        }
        auto* button = new QPushButton(QString::fromLatin1(command->text), this);
        button->setObjectName(QString::fromLatin1(command->name));
        button->setGeometry(du.Rect(control.x, control.y, control.width, control.height));
        button->setAutoDefault(false);
        const CommandId id = command->id;
        connect(button, &QPushButton::clicked, this, [this, id] { Run(id); });
        buttons_[id] = button;
    }
    UpdateButtons();
    setAcceptDrops(true);
}

void MainDialog::PlaceAtSavedPosition() {
    const int x = ReadInt(settings_, kPosX);
    const int y = ReadInt(settings_, kPosY);
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
    UpdateButtons();
    {
        const QSignalBlocker block(list_);
        list_->ShowRows(model_->Rows());
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

// The row that is focused and selected, -1 when there is none.
int MainDialog::FocusedRow() const {
    const QListWidgetItem* current = list_->currentItem();
    const int index =
        current != nullptr && current->isSelected() ? current->data(kRowRole).toInt() : -1;
    return index < static_cast<int>(model_->Rows().size()) ? index : -1;
}

void MainDialog::OnListStateChanged() {
    const auto& rows = model_->Rows();
    const int index = FocusedRow();
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
    // Enter that ends a label edit reaches the list too; it must not open the row.
    const QWidget* focus = QApplication::focusWidget();
    if (watched == list_ && focus != nullptr && focus != list_ && list_->isAncestorOf(focus)) {
        return QDialog::eventFilter(watched, event);
    }
    const CommandKey key = KeyOf(static_cast<QKeyEvent*>(event)->key());
    if (watched == list_) {
        return RunListKey(key) || QDialog::eventFilter(watched, event);
    }
    const Command* command = CommandForKey(CommandPlace::FolderMenu, key);
    if (command == nullptr) {
        return QDialog::eventFilter(watched, event);
    }
    // A key of the table is taken even when its command cannot run now, so that Enter never
    // falls through to the dialog's default button.
    if (IsEnabled(*command, Context())) {
        Run(command->id);
    }
    return true;
}

// A key in the list (a double click counts as Enter): false when the key is none of the
// list's, so that it goes on to the list itself.
bool MainDialog::RunListKey(CommandKey key) {
    const Command* command =
        CommandForKey(CommandPlace::ListMenu, key, ListMenuFor(model_->CurrentArchive()));
    if (command == nullptr) {
        return false;
    }
    if (IsEnabled(*command, Context())) {
        Run(command->id);
    }
    return true;
}

// Properties, which is Play for a sound item: the row that is selected and focused. The
// selection stays as it is.
void MainDialog::ItemProperties() {
    const int index = FocusedRow();
    if (model_->CurrentArchive() == nullptr || index < 0) {
        return;
    }
    FFLITEM* item = model_->Rows()[static_cast<std::size_t>(index)].item;
    if (suite::KindOfItem(item) == suite::ItemKind::Image) {
        EditTextureProperties(index);
    } else {
        suite::PlaySoundItem(item);
    }
}

// The image properties dialog on a copy of the item; on OK the compiled texture replaces the
// item, the Fastfile is saved, and the row is selected afresh so that its picture and info
// line show the change.
void MainDialog::EditTextureProperties(int row) {
    const ListRow& listRow = model_->Rows()[static_cast<std::size_t>(row)];
    const std::string itemPath = listRow.path;
    std::unique_ptr<ImagePropertiesDialog> dialog;
    {
        WaitCursor wait;
        dialog = std::make_unique<ImagePropertiesDialog>(
            settings_, listRow.name,
            std::span<const std::uint8_t>(listRow.item->lpData, listRow.item->dwSize), this);
    }
    if (dialog->exec() != QDialog::Accepted) {
        return;
    }
    // A patch installed meanwhile reloads the Fastfile, and with it every item and row: the
    // item is looked up again by its path.
    row = -1;
    const auto& rows = model_->Rows();
    for (std::size_t i = 0; i < rows.size() && row < 0; ++i) {
        if (rows[i].path == itemPath && rows[i].item != nullptr) {
            row = static_cast<int>(i);
        }
    }
    if (row < 0) {
        QApplication::beep();
        return;
    }
    FFLITEM* item = rows[static_cast<std::size_t>(row)].item;
    WaitCursor wait;
    if (!WriteBackTexture(*model_, item, dialog->Model().Archive())) {
        return;
    }
    list_->clearSelection();
    if (row < list_->count()) {
        list_->setCurrentItem(list_->item(row));
        list_->item(row)->setSelected(true);
    }
}

void MainDialog::ShowOpenMenu() {
    QMenu menu(this);
    const QPushButton* button = buttons_.at(CommandId::Open);
    PopUp(menu, CommandPlace::OpenMenu, ListMenuKind::None,
          button->mapToGlobal(QPoint(0, button->height())));
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
    ReportOpenFailure();
}

// A file the user or another program named could not be opened: say so rather than show
// the database as if that had been asked for.
void MainDialog::ReportOpenFailure() {
    const std::string failure = model_->TakeOpenFailure();
    if (!failure.empty()) {
        qm::ShowMessageBox(failure, kProductName, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Warning);
    }
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
    ReportOpenFailure();
    return handled;
}

QString MainDialog::FocusedRowText() const {
    const QListWidgetItem* current = list_->currentItem();
    return current != nullptr && current->isSelected() ? current->text() : QString();
}

int MainDialog::FocusedSelectedRow() const {
    const QListWidgetItem* current = list_->currentItem();
    return current != nullptr && current->isSelected() ? current->data(kRowRole).toInt() : -1;
}

void MainDialog::StartRename() {
    QListWidgetItem* current = list_->currentItem();
    if (current == nullptr || !current->isSelected()) {
        QApplication::beep();
        return;
    }
    list_->editItem(current);
}

void MainDialog::FinishRename(int row, const QString& newName) {
    WaitCursor wait;
    ShowResult(RenameRow(*model_, row, newName.toLocal8Bit().toStdString()));
}

std::vector<int> MainDialog::SelectedRows() const {
    std::vector<int> selected;
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->isSelected()) {
            selected.push_back(list_->item(i)->data(kRowRole).toInt());
        }
    }
    return selected;
}

void MainDialog::ExportRowsToFiles() {
    const FFLARCHIVE* archive = model_->CurrentArchive();
    if (archive == nullptr || archive->lpFirst == nullptr) {
        QApplication::beep();
        return;
    }
    const std::vector<int> selected = SelectedRows();
    const bool severalFiles = selected.size() > 1;
    const QString initialName = severalFiles ? QString() : FocusedRowText();
    ExportFileDialog dialog(this, model_->CurrentArchiveKind(),
                            FromLocal(ReadText(settings_, kExportPath)),
                            ReadInt(settings_, kExportType), initialName, severalFiles);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    WaitCursor wait;
    ExportProgressWindow progress(this, look_.skin);
    suite::QtPictureCodec pictures;  // PNG, the sixth type
    ExportRows(*model_, settings_, dialog.Choice(), selected, progress, &pictures);
}

void MainDialog::ImportItems() {
    if (model_->CurrentArchive() == nullptr) {
        QApplication::beep();
        return;
    }
    const ImportDialogTexts texts = ImportTextsFor(model_->CurrentArchiveKind());
    const QString title = QString::fromLatin1(texts.title);
    const QString directory = FromLocal(ReadText(settings_, kImportPath));
    const int filterIndex = ReadInt(settings_, kImportType);
    std::unique_ptr<QFileDialog> dialog;
    switch (texts.dialog) {
        case ImportDialogKind::Image:
            dialog = std::make_unique<ImageImportDialog>(settings_, this, title, directory,
                                                         texts.filter, filterIndex);
            break;
        case ImportDialogKind::Sound:
            dialog = std::make_unique<suite::SoundImportDialog>(settings_, kLoopSound, this, title,
                                                                directory);
            break;
        case ImportDialogKind::Plain:
            dialog = std::make_unique<QFileDialog>(this, title, directory);
            break;
    }
    dialog->setObjectName(QStringLiteral("import dialog"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = NameFiltersOf(texts.filter);
    dialog->setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size()) {
        dialog->selectNameFilter(filters[filterIndex - 1]);
    }
    if (dialog->exec() != QDialog::Accepted) {
        return;
    }
    const int chosenIndex = static_cast<int>(filters.indexOf(dialog->selectedNameFilter())) + 1;
    std::vector<std::string> files;
    for (const QString& file : dialog->selectedFiles()) {
        files.push_back(QFile::encodeName(file).toStdString());
    }
    dialog.reset();
    ItemCommandResult result;
    {
        WaitCursor wait;
        suite::QtPictureCodec pictures;  // PNG and what the suite's own readers refuse
        result = ImportFiles(*model_, settings_, files, chosenIndex, &pictures);
    }
    ShowResult(result);
}

void MainDialog::PasteItems() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (model_->CurrentArchive() == nullptr || !suite::HoldsTransferBlock(data)) {
        return;
    }
    // A copy: the clipboard may change while a question is open.
    const QByteArray block = suite::TransferBlockOf(data);
    ItemCommandResult result;
    {
        WaitCursor wait;
        result = PasteBlock(*model_, settings_,
                            std::span(reinterpret_cast<const std::uint8_t*>(block.constData()),
                                      static_cast<std::size_t>(block.size())));
    }
    ShowResult(result);
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    // Rows dragged out of our own list carry their items as files too; dropped back here they
    // would only be stored over themselves.
    const bool fromOurList = event->source() == list_;
    if (model_->CurrentArchive() != nullptr && event->mimeData()->hasUrls() && !fromOurList) {
        event->acceptProposedAction();
    }
}

void MainDialog::dropEvent(QDropEvent* event) {
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
        }
    }
    event->acceptProposedAction();
    ItemCommandResult result;
    {
        WaitCursor wait;
        suite::QtPictureCodec pictures;
        result = DropFiles(*model_, settings_, files, &pictures);
    }
    ShowResult(result);
}

void MainDialog::DeleteSelectedRows() {
    const std::vector<int> selected = SelectedRows();
    ItemCommandResult result;
    {
        WaitCursor wait;
        result = DeleteRows(*model_, settings_, selected, FocusedSelectedRow());
    }
    ShowResult(result);
}

void MainDialog::ShowResult(const ItemCommandResult& result) {
    if (result.beep) {
        QApplication::beep();
    }
    if (!result.listRefilled) {
        return;
    }
    ShowList();
    // Rows are shown in the model's order, so a model row is also the list's row.
    if (result.focusedRow >= 0 && result.focusedRow < list_->count()) {
        list_->setCurrentItem(list_->item(result.focusedRow));
    }
    for (int row : result.selectedRows) {
        if (row >= 0 && row < list_->count()) {
            list_->item(row)->setSelected(true);
        }
    }
    list_->ScrollToWhenLaidOut(list_->currentItem());
    UpdateButtons();
}

void MainDialog::CopyRows() {
    if (model_->CurrentArchive() == nullptr) {
        return;
    }
    std::unique_ptr<QMimeData> data;
    {
        WaitCursor wait;
        data = ItemMimeData(*model_, SelectedRows(), FocusedSelectedRow(), ItemMimeUse::Clipboard);
    }
    if (data != nullptr) {
        QApplication::clipboard()->setMimeData(data.release());  // the clipboard owns it now
    }
}

void MainDialog::DragRows() {
    const std::vector<int> selected = SelectedRows();
    // The files of the previous drag have been taken by now, or never will be.
    dragFiles_ = std::make_unique<QTemporaryDir>();
    const QString directory = dragFiles_->isValid() ? dragFiles_->path() : QString();
    std::unique_ptr<QMimeData> data;
    {
        WaitCursor wait;
        data = ItemMimeData(*model_, selected, FocusedSelectedRow(), ItemMimeUse::Drag, directory);
    }
    if (data == nullptr) {
        return;
    }
    auto* drag = new QDrag(list_);
    drag->setMimeData(data.release());  // the drag owns its data, and Qt the drag
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void MainDialog::SendRowsToPatch(bool patchButton) {
    if (!patchButton && model_->CurrentArchive() == nullptr) {
        QApplication::beep();
        return;
    }
    WaitCursor wait;
    const std::vector<std::uint8_t> block = TransferBlockOfRows(*model_, SelectedRows());
    const std::chrono::milliseconds timeout(IpcTimeout(settings_));
    const PatchHandOver handOver =
        patchButton ? PatchButton(block, timeout) : AddToPatch(block, timeout);
    if (!patchButton && handOver == PatchHandOver::EditorMissing) {
        QApplication::beep();
    }
}

void MainDialog::RunPatchMenu(CommandId id) {
    const PatchTool tool = id == CommandId::PatchNew    ? PatchTool::New
                           : id == CommandId::PatchOpen ? PatchTool::Open
                                                        : PatchTool::Install;
    RunPatchTool(tool, [this, tool]() -> std::optional<std::string> {
        const QString file = QFileDialog::getOpenFileName(
            this, QString::fromLatin1(PatchToolDialogTitle(tool)), QString(),
            QStringLiteral("Quillmark Fastfile Patch (*.kdz)"), nullptr,
            QFileDialog::DontResolveSymlinks);
        if (file.isEmpty()) {
            return std::nullopt;
        }
        return file.toLocal8Bit().toStdString();
    });
}

void MainDialog::Reload() {
    WaitCursor wait;
    const int row = model_->Reload(FocusedRowText().toLocal8Bit().toStdString());
    ShowTree();
    ShowList();
    if (row >= 0 && row < list_->count()) {
        QListWidgetItem* item = list_->item(row);
        list_->setCurrentItem(item);  // selects and focuses it, which shows it
        list_->ScrollToWhenLaidOut(item);
    }
}

void MainDialog::ShowTreeMenu(const QPoint& position) {
    if (QTreeWidgetItem* item = tree_->itemAt(position)) {
        tree_->setCurrentItem(item);  // selects it, which opens its Fastfile
    }
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("Folder"));
    PopUp(menu, CommandPlace::FolderMenu, ListMenuKind::None,
          tree_->viewport()->mapToGlobal(position));
}

void MainDialog::ShowListMenu(const QPoint& position) {
    const ListMenuKind kind = ListMenuFor(model_->CurrentArchive());
    if (kind == ListMenuKind::None) {
        return;
    }
    QMenu menu(this);
    menu.setObjectName(kind == ListMenuKind::Texture ? QStringLiteral("Texture")
                       : kind == ListMenuKind::Sound ? QStringLiteral("Sound")
                                                     : QStringLiteral("File"));
    PopUp(menu, CommandPlace::ListMenu, kind, list_->viewport()->mapToGlobal(position));
}

void MainDialog::PopUp(QMenu& menu, CommandPlace place, ListMenuKind kind, const QPoint& at) {
    const CommandContext context = Context();
    FillMenu(menu, place, kind, context);
    if (place == CommandPlace::OpenMenu) {
        // The patch tools sit beside what can be opened.
        menu.addSeparator();
        QMenu* patch = menu.addMenu(QStringLiteral("Patch"));
        patch->setObjectName(QStringLiteral("Patch"));
        FillMenu(*patch, CommandPlace::PatchMenu, ListMenuKind::None, context);
    }
    if (const QAction* chosen = menu.exec(at)) {
        Run(static_cast<CommandId>(chosen->data().toInt()));
    }
}

void MainDialog::FillMenu(QMenu& menu, CommandPlace place, ListMenuKind kind,
                          const CommandContext& context) {
    auto* radio = place == CommandPlace::OpenMenu ? new QActionGroup(&menu) : nullptr;
    for (const Command* command : CommandsIn(place, kind)) {
        if (command->separatorBefore) {
            menu.addSeparator();
        }
        QAction* action = menu.addAction(QString::fromLatin1(MenuText(*command)));
        action->setData(static_cast<int>(command->id));
        action->setEnabled(IsEnabled(*command, context));
        if (command->checked != nullptr) {
            action->setCheckable(true);
            action->setChecked(command->checked(context));
            if (radio != nullptr) {
                radio->addAction(action);
            }
        }
    }
}

CommandContext MainDialog::Context() const {
    CommandContext context;
    const FolderNode* node = model_->SelectedNode();
    context.nodeExists = node != nullptr;
    context.nodeHasChildren = node != nullptr && node->HasChildren();
    context.databaseMode = model_->Mode() == BrowserMode::Database;
    const FFLARCHIVE* archive = model_->CurrentArchive();
    context.archiveOpen = archive != nullptr;
    context.archiveHasItems = archive != nullptr && archive->lpFirst != nullptr;
    context.selectedRows = static_cast<int>(list_->selectedItems().size());
    context.clipboardHoldsItems = ClipboardHoldsItems();
    return context;
}

void MainDialog::UpdateButtons() {
    const CommandContext context = Context();
    for (const auto& [id, button] : buttons_) {
        button->setEnabled(IsEnabled(*FindCommand(id), context));
    }
}

void MainDialog::Run(CommandId id) {
    switch (id) {
        case CommandId::About:
            AboutBox(this).exec();
            break;
        case CommandId::Open:
            ShowOpenMenu();
            break;
        case CommandId::Close:
            reject();
            break;
        case CommandId::OpenDatabase:
            OpenDatabase();
            break;
        case CommandId::OpenFastfile:
            OpenFastfile();
            break;
        case CommandId::FolderRefresh:
            BuildTree();
            break;
        case CommandId::FolderProperties:
            ShowFolderProperties();
            break;
        case CommandId::ItemRefresh:
            FillList();
            break;
        case CommandId::ItemProperties:
            ItemProperties();
            break;
        case CommandId::ItemRename:
            StartRename();
            break;
        case CommandId::ItemDelete:
            DeleteSelectedRows();
            break;
        case CommandId::Export:
            ExportRowsToFiles();
            break;
        case CommandId::ItemCopy:
            CopyRows();
            break;
        case CommandId::AddToPatch:
            SendRowsToPatch(false);
            break;
        case CommandId::Patch:
            SendRowsToPatch(true);
            break;
        case CommandId::PatchNew:
        case CommandId::PatchOpen:
        case CommandId::PatchInstall:
            RunPatchMenu(id);
            break;
        case CommandId::Import:
            ImportItems();
            break;
        case CommandId::ItemPaste:
            PasteItems();
            break;
        // Folders are not inserted, renamed or deleted in this suite.
        case CommandId::FolderInsert:
        case CommandId::FolderRename:
        case CommandId::FolderDelete:
            break;
    }
}

}  // namespace texbench
