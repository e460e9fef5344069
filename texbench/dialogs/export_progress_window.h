// The window that shows a long export's advance (dialog 151): "Exporting:", the item's name
// and a bar drawn from two pictures. Not modal, centred over the main dialog. A skin paints
// its picture 401 behind it and draws the two texts itself.
#pragma once

#include <QDialog>
#include <QImage>

#include "texbench/browser/item_export.h"

class QLabel;

namespace texbench {

class BitmapProgressBar;
struct SkinState;

class ExportProgressWindow : public QDialog, public ExportProgress {
    Q_OBJECT
  public:
    explicit ExportProgressWindow(QWidget* parent, const SkinState* skin = nullptr);

    void Begin(int count) override;
    void ShowItem(const std::string& name) override;
    void Step() override;
    void End() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetUpSkin(const SkinState& skin);

    QLabel* caption_ = nullptr;
    QLabel* name_ = nullptr;
    BitmapProgressBar* bar_ = nullptr;
    QImage background_;  // bitmap 401 of the skin module; null outside skin mode
    bool skinMode_ = false;
};

}  // namespace texbench
