// The item list of the main dialog: the rows of the browser model with their kind's icon,
// filled fast enough for Fastfiles of many thousand items. The rows are inserted once, in the
// model's order, and laid out in batches between events, so that a long list shows its first
// rows at once and the window stays responsive while the rest is placed; a row asked to be
// scrolled into view is scrolled to once it has its place. A drag out of the list is handed
// to the dialog, which knows what the items are.
#pragma once

#include <QIcon>
#include <QListWidget>
#include <QPersistentModelIndex>
#include <array>
#include <functional>
#include <span>

#include "texbench/browser/browser_model.h"

namespace texbench {

class ItemListWidget : public QListWidget {
  public:
    // The role under which each row keeps the index of its model row.
    static constexpr int kRowRole = Qt::UserRole;
    // Rows placed between two looks at the event queue.
    static constexpr int kLayoutBatch = 250;

    explicit ItemListWidget(QWidget* parent = nullptr);

    // Replaces the rows; scrolls to the top.
    void ShowRows(std::span<const ListRow> rows);
    // Makes the row visible now when it has its place, else as soon as it gets it.
    void ScrollToWhenLaidOut(QListWidgetItem* item);
    // Runs when the user drags selected rows out of the list.
    void SetDragStarter(std::function<void()> starter) { dragStarter_ = std::move(starter); }

  protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void updateGeometries() override;

  private:
    void ScrollToPending();

    std::array<QIcon, 3> kindIcons_;  // image, sound, other
    QPersistentModelIndex pendingScroll_;
    std::function<void()> dragStarter_;
};

}  // namespace texbench
