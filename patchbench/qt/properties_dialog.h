// Dialogs 141 "Texture Properties" and 142 "Sound Properties": the target paths of one patch
// item, the patch item or the game's item beside it with its information (and preview or
// playback), Remove, Find and OK. A thin window over the ItemProperties model.
#pragma once

#include <QDialog>

#include "patchbench/engine/item_properties.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace suite {
class PreviewControl;
}

namespace patchbench {

class PropertiesDialog : public QDialog {
    Q_OBJECT

  public:
    PropertiesDialog(const PATCHLIBEXPORT& patchLib, GameAccess game, KDZITEM* item,
                     PropertiesKind kind, QWidget* parent = nullptr);
    ~PropertiesDialog() override;

    ItemProperties& Model() { return model_; }
    QTreeWidget* List() const { return list_; }
    QLabel* InfoLine(int line) const { return line == 1 ? line1_ : line2_; }
    QRadioButton* PatchView() const { return patchView_; }
    QRadioButton* TargetView() const { return targetView_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* RemoveButton() const { return remove_; }
    QPushButton* FindButton() const { return find_; }
    QPushButton* PlayButton() const { return play_; }
    QPushButton* StopButton() const { return stop_; }
    QCheckBox* LoopBox() const { return loop_; }
    suite::PreviewControl* Preview() const { return preview_; }

  public slots:
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* BuildInformation();
    void ShowRows();
    void ShowInformation();
    void ShowStates();
    void TakeSelection();
    void RunFind();
    void RunRemove();

    ItemProperties model_;
    QTreeWidget* list_ = nullptr;
    QLabel* line1_ = nullptr;
    QLabel* line2_ = nullptr;
    QRadioButton* patchView_ = nullptr;
    QRadioButton* targetView_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* stop_ = nullptr;
    QCheckBox* loop_ = nullptr;
    suite::PreviewControl* preview_ = nullptr;
    bool showing_ = false;
    bool columnSized_ = false;
};

}  // namespace patchbench
