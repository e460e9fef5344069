#include "patchbench/qt/properties_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "patchbench/qt/search_window.h"
#include "suite/qt/preview_control.h"
#include "texbench/imaging/qt/qimage_bridge.h"

namespace patchbench {
namespace {

// The preview's area stands this far inside its frame on every side.
constexpr int kPreviewInset = 5;

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

}  // namespace

PropertiesDialog::PropertiesDialog(const PATCHLIBEXPORT& patchLib, GameAccess game, KDZITEM* item,
                                   PropertiesKind kind, QWidget* parent)
    : QDialog(parent), model_(patchLib, game, item, kind) {
    setObjectName(kind == PropertiesKind::Texture ? "textureProperties" : "soundProperties");
    setWindowTitle(Local(model_.Caption()));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(tr("The following items will be replaced:"), this));

    list_ = new QTreeWidget(this);
    list_->setObjectName("targetPaths");
    list_->setColumnCount(1);
    list_->setHeaderLabels({tr("Target Path")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(false);
    auto* removeKey = new QAction(list_);
    removeKey->setShortcut(QKeySequence::Delete);
    removeKey->setShortcutContext(Qt::WidgetShortcut);
    list_->addAction(removeKey);
    connect(removeKey, &QAction::triggered, this, &PropertiesDialog::RunRemove);
    left->addWidget(list_, 1);
    left->addWidget(BuildInformation());
    layout->addLayout(left, 1);

    auto* buttons = new QVBoxLayout;
    ok_ = new QPushButton(tr("OK"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    remove_ = new QPushButton(tr("&Remove"), this);
    find_ = new QPushButton(tr("&Find..."), this);
    for (QPushButton* button : {ok_, cancel, remove_, find_}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &PropertiesDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &PropertiesDialog::reject);
    connect(remove_, &QPushButton::clicked, this, &PropertiesDialog::RunRemove);
    connect(find_, &QPushButton::clicked, this, &PropertiesDialog::RunFind);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &PropertiesDialog::TakeSelection);
    connect(list_, &QTreeWidget::currentItemChanged, this, &PropertiesDialog::TakeSelection);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) {
        model_.ActivateRow(list_->indexOfTopLevelItem(row));
        ShowRows();
        ShowInformation();
    });

    ShowRows();
    ShowInformation();
    resize(560, 420);
}

PropertiesDialog::~PropertiesDialog() = default;

QWidget* PropertiesDialog::BuildInformation() {
    const bool texture = model_.Kind() == PropertiesKind::Texture;
    auto* group = new QGroupBox(
        texture ? tr("Image information / Preview") : tr("Sound information / Preview"), this);
    auto* layout = new QHBoxLayout(group);
    auto* texts = new QVBoxLayout;
    line1_ = new QLabel(group);
    line1_->setObjectName("infoLine1");
    line2_ = new QLabel(group);
    line2_->setObjectName("infoLine2");
    patchView_ = new QRadioButton(tr(" Show &Patch item "), group);
    targetView_ = new QRadioButton(tr(" Show &Target item "), group);
    patchView_->setChecked(true);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{line1_, line2_, patchView_, targetView_}) {
        texts->addWidget(widget);
    }
    connect(targetView_, &QRadioButton::toggled, this, [this](bool target) {
        if (!showing_) {
            model_.SetView(target ? PropertiesView::TargetItem : PropertiesView::PatchItem);
            ShowInformation();
        }
    });
    layout->addLayout(texts, 1);

    if (texture) {
        auto* frame = new QFrame(group);
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setFrameShadow(QFrame::Sunken);
        frame->setMinimumSize(140, 110);
        auto* inset = new QVBoxLayout(frame);
        inset->setContentsMargins(kPreviewInset, kPreviewInset, kPreviewInset, kPreviewInset);
        preview_ = new suite::PreviewControl(frame);
        preview_->setObjectName("preview");
        preview_->SetResetZoom(true);
        inset->addWidget(preview_);
        layout->addWidget(frame, 1);
        return group;
    }
    auto* playback = new QVBoxLayout;
    auto* controls = new QHBoxLayout;
    play_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QString(), group);
    stop_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), QString(), group);
    play_->setToolTip(tr("Play"));
    play_->setAccessibleName(tr("Play"));
    stop_->setToolTip(tr("Stop"));
    stop_->setAccessibleName(tr("Stop"));
    controls->addWidget(play_);
    controls->addWidget(stop_);
    playback->addLayout(controls);
    loop_ = new QCheckBox(tr("&Loop sound"), group);
    playback->addWidget(loop_);
    playback->addStretch(1);
    layout->addLayout(playback);
    connect(play_, &QPushButton::clicked, this, [this] { model_.Play(); });
    connect(stop_, &QPushButton::clicked, this, [this] { model_.Stop(); });
    connect(loop_, &QCheckBox::toggled, this, [this](bool on) { model_.SetLoop(on); });
    return group;
}

void PropertiesDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!columnSized_) {
        list_->setColumnWidth(
            0, list_->viewport()->width() - list_->verticalScrollBar()->sizeHint().width());
        columnSized_ = true;
    }
}

void PropertiesDialog::accept() {
    switch (model_.Accept()) {
        case AcceptOutcome::StayOpen:
            return;
        case AcceptOutcome::Accepted:
            QDialog::accept();
            return;
        case AcceptOutcome::Cancelled:
            QDialog::reject();
            return;
    }
}

void PropertiesDialog::ShowRows() {
    showing_ = true;
    list_->clear();
    for (const std::string& path : model_.Rows()) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, Local(path));
    }
    if (model_.Selected() >= 0) {
        QTreeWidgetItem* row = list_->topLevelItem(model_.Selected());
        list_->setCurrentItem(row);
        row->setSelected(true);
        list_->scrollToItem(row);
    }
    const bool target = model_.View() == PropertiesView::TargetItem;
    targetView_->setChecked(target);
    patchView_->setChecked(!target);
    showing_ = false;
    ShowStates();
}

void PropertiesDialog::ShowInformation() {
    line1_->setText(Local(model_.InfoLine1()));
    line2_->setText(Local(model_.InfoLine2()));
    if (preview_ != nullptr) {
        const suite::ImageRecord* picture = model_.Picture();
        if (picture != nullptr) {
            preview_->SetPicture(ImgToQImage(picture->Get()));
        } else {
            preview_->ClearPicture();
        }
    }
    ShowStates();
}

void PropertiesDialog::ShowStates() {
    remove_->setEnabled(model_.CanRemove());
    ok_->setEnabled(model_.CanAccept());
    if (play_ != nullptr) {
        play_->setEnabled(model_.CanPlay());
    }
}

void PropertiesDialog::TakeSelection() {
    if (showing_) {
        return;
    }
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    model_.Select(selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.front()));
    ShowInformation();
}

void PropertiesDialog::RunRemove() {
    if (!model_.CanRemove()) {
        return;
    }
    model_.Remove();
    ShowRows();
    ShowInformation();
}

void PropertiesDialog::RunFind() {
    {
        SearchWindow progress(this);
        model_.Find(progress);
    }
    ShowRows();
}

}  // namespace patchbench
