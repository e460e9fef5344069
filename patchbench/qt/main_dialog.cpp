#include "patchbench/qt/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "patchbench/engine/command_table.h"
#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/instance_protocol.h"
#include "patchbench/engine/olp_conversion.h"
#include "patchbench/engine/tool_launcher.h"
#include "patchbench/qt/about_dialog.h"
#include "patchbench/qt/artwork.h"
#include "patchbench/qt/patch_info_dialog.h"
#include "patchbench/qt/properties_dialog.h"
#include "patchbench/qt/tip_dialog.h"
#include "suite/transfer/transfer_block.h"

namespace patchbench {
namespace {

constexpr int kLongestName = 127;
constexpr int kCloseButton = 2;

// The label editor of the list: names are at most 127 characters, and the window's keys rest
// while it is open, so that Esc ends the edit instead of the program.
class LabelDelegate : public QStyledItemDelegate {
  public:
    LabelDelegate(QObject* parent, std::function<void(bool)> editing,
                  std::function<void(int, const QString&)> commit)
        : QStyledItemDelegate(parent), editing_(std::move(editing)), commit_(std::move(commit)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setMaxLength(kLongestName);
        }
        editing_(true);
        return editor;
    }
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        editing_(false);
        QStyledItemDelegate::destroyEditor(editor, index);
    }
    // The document takes the text; the list shows it once the editor has gone.
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const int row = index.row();
            const QString text = line->text();
            QTimer::singleShot(0, parent(), [commit = commit_, row, text] { commit(row, text); });
        }
    }

  private:
    std::function<void(bool)> editing_;
    std::function<void(int, const QString&)> commit_;
};

// The program's filter text ("name|pattern|name|pattern||") in the form Qt's file dialogs
// read ("name (pattern);;name (pattern)"); a name that shows its pattern already keeps it.
QString FilterFrom(const char* text) {
    const QStringList parts = QString::fromLatin1(text).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        const QString& name = parts[i];
        filters << (name.contains('(') ? name : name + " (" + parts[i + 1] + ")");
    }
    return filters.join(";;");
}

QString FileFilter() {
    return FilterFrom(kFileFilterText);
}

QString OlpFilter() {
    return FilterFrom(kOlpFilterText);
}

}  // namespace

MainDialog::MainDialog(const PATCHLIBEXPORT& patchLib, EditorFiles files, const std::string& path,
                       bool showTip, GameAccess game, QWidget* parent)
    : QDialog(parent),
      patchLib_(patchLib),
      game_(game),
      editor_(patchLib, *this),
      files_(std::move(files)) {
    setWindowIcon(EditorProgramIcon());
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    BuildMenus();
    layout->setMenuBar(menuBar_);
    BuildList();
    layout->addWidget(list_, 1);
    BuildButtons(layout);
    resize(520, 360);

    if (showTip) {
        QTimer::singleShot(0, this, [this] { RunCommand(kCmdTipOfTheDay); });
    }
    editor_.Start(path);
    ShowDocument();
}

MainDialog::~MainDialog() = default;

void MainDialog::BuildMenus() {
    menuBar_ = new QMenuBar(this);
    std::map<MenuName, QMenu*> menus;
    for (const MenuCommand& command : MenuCommands()) {
        QMenu*& menu = menus[command.menu];
        if (menu == nullptr) {
            menu = menuBar_->addMenu(tr(MenuTitle(command.menu)));
        }
        if (command.separatorBefore) {
            menu->addSeparator();
        }
        QAction* action = menu->addAction(QString::fromLatin1(command.text));
        action->setData(command.id);
        if (command.key[0] != '\0') {
            action->setShortcut(QKeySequence(QString::fromLatin1(command.key)));
        }
        // The list's own keys work only while it has the focus; the rest anywhere in the window.
        action->setShortcutContext(command.scope == KeyScope::List ? Qt::WidgetShortcut
                                                                   : Qt::WindowShortcut);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        actions_[id] = action;
    }
    for (auto& [id, action] : actions_) {
        if (FindMenuCommand(id)->scope == KeyScope::Window) {
            addAction(action);
        }
    }
}

void MainDialog::BuildList() {
    list_ = new QTreeWidget(this);
    list_->setObjectName("patchItems");
    list_->setColumnCount(3);
    list_->setHeaderLabels({tr("Name"), tr("Size"), tr("Type")});
    list_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setIconSize(QSize(kStripIconSize, kStripIconSize));
    list_->header()->setSectionsClickable(true);
    list_->header()->setSortIndicatorShown(false);
    list_->header()->setStretchLastSection(false);
    // Drops go to the dialog, which takes only transfer blocks.
    list_->setAcceptDrops(false);
    list_->viewport()->setAcceptDrops(false);
    list_->setItemDelegate(new LabelDelegate(
        this, [this](bool editing) { SetAcceleratorsOn(!editing); },
        [this](int row, const QString& text) { FinishRename(row, text); }));
    list_->addAction(actions_.at(kCmdDelete));

    connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        TakeSelectionFromList();
        editor_.SortBy(static_cast<ListColumn>(column));
        ShowDocument();
    });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!showing_) {
            TakeSelectionFromList();
            UpdateCommandStates();
        }
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
        if (!showing_) {
            TakeSelectionFromList();
            UpdateCommandStates();
        }
    });
    connect(list_, &QTreeWidget::itemActivated, this, [this] { RunCommand(kCmdProperties); });
}

void MainDialog::BuildButtons(QVBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    const std::pair<int, const char*> buttons[] = {
        {kCmdSave, "&Save"},
        {kCmdInstall, "I&nstall..."},
        {kCmdProperties, "&Properties..."},
        {kCmdPatchInfo, "&Info..."},
        {kCloseButton, "Close"},
    };
    for (const auto& [id, text] : buttons) {
        auto* button = new QPushButton(tr(text));
        button->setAutoDefault(false);
        row->addWidget(button);
        buttons_[id] = button;
        if (id == kCloseButton) {
            connect(button, &QPushButton::clicked, this, &MainDialog::reject);
        } else {
            const int command = id;
            connect(button, &QPushButton::clicked, this, [this, command] { RunCommand(command); });
        }
    }
    layout->addLayout(row);
}

QAction* MainDialog::Action(int commandId) const {
    const auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

QPushButton* MainDialog::Button(int commandId) const {
    const auto found = buttons_.find(commandId);
    return found == buttons_.end() ? nullptr : found->second;
}

void MainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!columnsSized_) {
        // The widths come from the list's width when the window first shows.
        const int width = list_->viewport()->width();
        list_->setColumnWidth(0, width / 4 * 2);
        list_->setColumnWidth(1, width / 4);
        list_->setColumnWidth(2, width / 4);
        columnsSized_ = true;
    }
}

void MainDialog::RunCommand(int commandId) {
    TakeSelectionFromList();
    switch (commandId) {
        case kCmdNew:
            editor_.New();
            break;
        case kCmdOpen:
            editor_.Open();
            break;
        case kCmdSave:
            editor_.Save();
            break;
        case kCmdSaveAs:
            editor_.SaveAs();
            break;
        case kCmdInstall:
            if (InstallPatch(editor_) == InstallOutcome::Started) {
                QDialog::accept();
                return;
            }
            break;
        case kCmdExit:
            reject();
            return;
        case kCmdAddSound:
        case kCmdAddTexture: {
            ShowWaitCursor(true);
            BringUpSibling(commandId == kCmdAddTexture ? kTexBench : kEchowright);
            ShowWaitCursor(false);
            break;
        }
        case kCmdRename:
            StartRename();
            return;
        case kCmdDelete:
            editor_.DeleteSelected();
            break;
        case kCmdPatchInfo:
            editor_.EditPatchInfo();
            break;
        case kCmdRefresh:
            editor_.Refresh();
            break;
        case kCmdHelp:
            OpenWithDesktop(
                QUrl::fromLocalFile(QString::fromLocal8Bit(files_.helpPath)).toString());
            break;
        case kCmdTipOfTheDay: {
            TipDialog tip(files_.tipsPath, files_.settingsPath, this);
            tip.exec();
            break;
        }
        case kCmdWebHome:
            OpenWithDesktop(QString::fromLatin1(kHomeAddress));
            break;
        case kCmdWebDevelopment:
            OpenWithDesktop(QString::fromLatin1(kDevelopmentAddress));
            break;
        case kCmdAbout: {
            AboutDialog about(this);
            about.exec();
            break;
        }
        case kCmdConvertOlp:
            ConvertOlp();
            break;
        case kCmdProperties:
            ShowProperties();
            break;
        default:
            Beep();
            break;
    }
    ShowDocument();
}

void MainDialog::Restore() {
    showNormal();
    raise();
    activateWindow();
}

bool MainDialog::OpenFromOtherProgram(const std::string& path) {
    const bool opened = editor_.OpenRequested(path);
    ShowDocument();
    return opened;
}

void MainDialog::ReceiveItems(std::span<const unsigned char> block) {
    TakeSelectionFromList();
    editor_.ReceiveItems(block);
    ShowDocument();
    const int focused = editor_.List().Focused();
    if (focused >= 0) {
        list_->scrollToItem(list_->topLevelItem(focused));
    }
}

void MainDialog::reject() {
    if (editor_.AskToSave()) {
        QDialog::reject();
    }
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (isEnabled() &&
        event->mimeData()->hasFormat(QString::fromLatin1(suite::kTransferMimeType))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void MainDialog::dropEvent(QDropEvent* event) {
    const QByteArray block = event->mimeData()->data(QString::fromLatin1(suite::kTransferMimeType));
    event->setDropAction(Qt::CopyAction);
    event->accept();
    raise();
    activateWindow();
    // The items are taken once the drop has ended, so that a replace question does not hold
    // the dragging program in its drag.
    QTimer::singleShot(0, this, [this, block] {
        ReceiveItems(std::span<const unsigned char>(
            reinterpret_cast<const unsigned char*>(block.constData()),
            static_cast<std::size_t>(block.size())));
    });
}

std::optional<std::string> MainDialog::AskPatchToOpen() {
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Open"), QString(), FileFilter());
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toLocal8Bit().toStdString();
}

std::optional<std::string> MainDialog::AskPatchToSaveAs(const std::string& currentPath) {
    QFileDialog dialog(this, tr("Save As"), QString::fromLocal8Bit(currentPath.c_str()),
                       FileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromLatin1(kPatchExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

std::optional<PatchHeaderTexts> MainDialog::EditPatchInfo(const PatchHeaderTexts& texts) {
    PatchInfoDialog dialog(texts, this);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Texts();
}

std::optional<std::string> MainDialog::AskOlpToConvert() {
    QFileDialog dialog(this, QString::fromLatin1(kConvertOlpTitle), QString(), OlpFilter());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kOlpExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

void MainDialog::ShowProperties() {
    const int row = editor_.List().Focused();
    KDZITEM* item = row >= 0 ? editor_.List().Rows()[row].item : nullptr;
    const std::optional<PropertiesKind> kind = PropertiesKindOf(item);
    if (!kind) {
        Beep();
        return;
    }
    PropertiesDialog dialog(patchLib_, game_, item, *kind, this);
    if (dialog.exec() == QDialog::Accepted) {
        editor_.ItemChanged(row);
    }
}

void MainDialog::ConvertOlp() {
    if (game_.packLib == nullptr) {
        Beep();
        return;
    }
    DiskWaveFiles waves;
    editor_.ConvertOlp(*game_.packLib, waves);
}

void MainDialog::Beep() {
    QApplication::beep();
}

void MainDialog::ShowWaitCursor(bool on) {
    if (on) {
        if (waitDepth_++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } else if (waitDepth_ > 0 && --waitDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void MainDialog::ShowDocument() {
    showing_ = true;
    list_->setUpdatesEnabled(false);
    list_->clear();
    const PatchList& rows = editor_.List();
    for (const PatchRow& row : rows.Rows()) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromLocal8Bit(row.label.c_str()));
        item->setText(1, QString::fromLatin1(row.sizeText.c_str()));
        item->setText(2, QString::fromLatin1(row.kindText.c_str()));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setIcon(0, EditorStripIcon(row.icon));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setSelected(row.selected);
    }
    if (rows.Focused() >= 0) {
        list_->setCurrentItem(list_->topLevelItem(rows.Focused()), 0,
                              QItemSelectionModel::NoUpdate);
    }
    list_->setUpdatesEnabled(true);
    showing_ = false;
    setWindowTitle(QString::fromLocal8Bit(editor_.Title().c_str()));
    UpdateCommandStates();
    emit documentShown();
}

void MainDialog::TakeSelectionFromList() {
    PatchList& rows = editor_.List();
    for (int row = 0; row < rows.Count() && row < list_->topLevelItemCount(); ++row) {
        rows.SetSelected(row, list_->topLevelItem(row)->isSelected());
    }
    QTreeWidgetItem* current = list_->currentItem();
    rows.SetFocused(current != nullptr ? list_->indexOfTopLevelItem(current) : -1);
}

void MainDialog::UpdateCommandStates() {
    const CommandStates states = editor_.States();
    const auto enable = [this](int id, bool on) {
        if (QAction* action = Action(id)) {
            action->setEnabled(on);
        }
        if (QPushButton* button = Button(id)) {
            button->setEnabled(on);
        }
    };
    enable(kCmdSave, states.save);
    enable(kCmdSaveAs, states.saveAs);
    enable(kCmdPatchInfo, states.patchInfo);
    enable(kCmdInstall, states.install);
    enable(kCmdRename, states.itemCommands);
    enable(kCmdDelete, states.itemCommands);
    enable(kCmdProperties, states.itemCommands);
}

void MainDialog::StartRename() {
    const int row = editor_.List().FocusedSelected();
    if (row < 0 || !editor_.CanEditLabel(row)) {
        Beep();
        return;
    }
    list_->editItem(list_->topLevelItem(row), 0);
}

void MainDialog::FinishRename(int row, const QString& text) {
    editor_.RenameRow(row, text.toLocal8Bit().toStdString());
    ShowDocument();
}

void MainDialog::SetAcceleratorsOn(bool on) {
    acceleratorsOn_ = on;
    for (auto& [id, action] : actions_) {
        const MenuCommand* command = FindMenuCommand(id);
        action->setShortcut(on && command->key[0] != '\0'
                                ? QKeySequence(QString::fromLatin1(command->key))
                                : QKeySequence());
    }
}

void MainDialog::OpenWithDesktop(const QString& address) {
    QDesktopServices::openUrl(QUrl(address));
}

}  // namespace patchbench
