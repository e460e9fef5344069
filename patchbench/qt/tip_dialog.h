// Dialog 120, "Tip of the Day": one tip at a time, "&Next Tip", and whether it shows at start.
#pragma once

#include <QDialog>

#include "patchbench/engine/tip_of_the_day.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace patchbench {

class TipDialog : public QDialog {
    Q_OBJECT

  public:
    TipDialog(const std::string& tipsPath, const std::string& settingsPath,
              QWidget* parent = nullptr);
    ~TipDialog() override;

    QLabel* TipText() const { return text_; }
    QPushButton* NextButton() const { return next_; }
    QCheckBox* ShowAtStartup() const { return show_; }

  private:
    void ShowNextTip();

    ProfileSettings settings_;
    TipOfTheDay tips_;
    QLabel* text_ = nullptr;
    QPushButton* next_ = nullptr;
    QCheckBox* show_ = nullptr;
};

}  // namespace patchbench
