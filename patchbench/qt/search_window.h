// Dialog 139, the window Find shows while it reads the Fastfiles: "Searching:", the database
// entry being read and a bar of the entries done. Modeless and without a caption, centred over
// the dialog that searches; the wait cursor shows while it is up.
#pragma once

#include <QDialog>

#include "patchbench/engine/fastfile_search.h"

class QLabel;
class QProgressBar;

namespace patchbench {

class SearchWindow : public QDialog, public SearchProgress {
    Q_OBJECT

  public:
    explicit SearchWindow(QWidget* parent = nullptr);
    ~SearchWindow() override;

    void Begin(int steps) override;
    void Show(const std::string& entryPath) override;
    void Step() override;
    void End() override;

    QLabel* EntryText() const { return entry_; }
    QProgressBar* Bar() const { return bar_; }

  private:
    QLabel* entry_;
    QProgressBar* bar_;
    bool waiting_ = false;
};

}  // namespace patchbench
