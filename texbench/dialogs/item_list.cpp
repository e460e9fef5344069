#include "texbench/dialogs/item_list.h"

#include "texbench/widgets/icon_strip.h"

namespace texbench {
namespace {

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ItemListWidget::ItemListWidget(QWidget* parent)
    : QListWidget(parent),
      kindIcons_{StripIcon(kImageItemIcon), StripIcon(kSoundItemIcon), StripIcon(kOtherItemIcon)} {
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);  // small icons, row after row
    setWrapping(true);
    setIconSize(QSize(kStripIconSize, kStripIconSize));
    setLayoutMode(QListView::Batched);
    setBatchSize(kLayoutBatch);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

void ItemListWidget::ShowRows(std::span<const ListRow> rows) {
    pendingScroll_ = QPersistentModelIndex();
    setUpdatesEnabled(false);
    clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ListRow& row = rows[i];
        const int icon = row.icon - kImageItemIcon;
        // Each row is complete before it joins the list, so that the list hears of it once.
        auto* item = new QListWidgetItem(
            icon >= 0 && icon < static_cast<int>(kindIcons_.size()) ? kindIcons_[icon] : QIcon(),
            FromLocal(row.name));
        item->setData(kRowRole, static_cast<int>(i));
        item->setToolTip(FromLocal(row.path));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        addItem(item);
    }
    scrollToTop();
    setUpdatesEnabled(true);
}

void ItemListWidget::ScrollToWhenLaidOut(QListWidgetItem* item) {
    pendingScroll_ =
        item != nullptr ? QPersistentModelIndex(indexFromItem(item)) : QPersistentModelIndex();
    ScrollToPending();
}

void ItemListWidget::ScrollToPending() {
    if (!pendingScroll_.isValid() || visualRect(pendingScroll_).isEmpty()) {
        return;
    }
    const QModelIndex index = pendingScroll_;
    pendingScroll_ = QPersistentModelIndex();
    scrollTo(index);
}

// A batched layout brings the geometry up to date whenever it has placed all rows.
void ItemListWidget::updateGeometries() {
    QListWidget::updateGeometries();
    ScrollToPending();
}

void ItemListWidget::startDrag(Qt::DropActions) {
    if (dragStarter_) {
        dragStarter_();
    }
}

}  // namespace texbench
