// The window that shows a long export's advance: "Exporting:", the item's name and a bar.
// Not modal, centred over the main dialog.
#pragma once

#include <QDialog>

#include "texbench/browser/item_export.h"

class QLabel;
class QProgressBar;

namespace texbench {

class ExportProgressWindow : public QDialog, public ExportProgress {
    Q_OBJECT
  public:
    explicit ExportProgressWindow(QWidget* parent);

    void Begin(int count) override;
    void ShowItem(const std::string& name) override;
    void Step() override;
    void End() override;

  private:
    QLabel* name_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace texbench
