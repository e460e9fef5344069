// The image properties dialog ("Image Properties", dialog 178): the three slots of one
// texture side by side with their depth, size and compression, the transparent colour (from
// the colour dialog or picked off the first slot's preview) and the slot menu "Rim". It shows
// the headless ImageProperties and works on its private copy; the caller writes back on OK.
#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "inidoc/ini_document.h"
#include "texbench/dialogs/slot_file_chooser.h"
#include "texbench/properties/image_properties.h"

class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;

namespace suite {
class PreviewControl;
}

namespace texbench {

class ExternalSlotEditor;

class ImagePropertiesDialog : public QDialog {
    Q_OBJECT
  public:
    // Where the dialog asks the user to choose; tests put scripted answers here.
    struct Choosers {
        std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> color;
        std::function<std::optional<ChosenSlotFile>(QWidget*, const QString&, int)> importFile =
            ChooseSlotImportFile;
        std::function<std::optional<ChosenSlotFile>(QWidget*, const QString&, int)> exportFile =
            ChooseSlotExportFile;
    };

    // name: the item's name for the caption; bytes: its data, copied into the dialog.
    ImagePropertiesDialog(CIniDocument& settings, const std::string& name,
                          std::span<const std::uint8_t> bytes, QWidget* parent = nullptr);
    ~ImagePropertiesDialog() override;

    const ImageProperties& Model() const { return model_; }
    Choosers& ChoosersForTest() { return choosers_; }
    bool Picking() const { return picking_; }
    const ExternalSlotEditor& ExternalEditor() const { return *external_; }

    // The slot menu's entries by their texts; the dialog runs them on the current slot.
    static constexpr const char* kCopy = "Copy";
    static constexpr const char* kPaste = "Paste";
    static constexpr const char* kDelete = "Delete";
    static constexpr const char* kFlip = "Flip Image";
    static constexpr const char* kMirror = "Mirror Image";
    static constexpr const char* kCountColors = "Count Colors used";
    static constexpr const char* kImport = "Import Image...";
    static constexpr const char* kExport = "Export Image...";
    static constexpr const char* kExternalEdit = "Edit in External Editor...";

  public slots:
    void accept() override;  // OK; while picking, Enter takes the colour under the pointer
    void reject() override;  // Cancel; while picking, Escape gives the committed colour back

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void CreateControls();
    void PostRefresh();
    void Refresh();
    void ShowColor();
    void ReadBoxes();
    void OnCompressionClicked(int slot);
    void ChooseColor();
    void StartPicking();
    void EndPicking();
    // The colour drawn at a point of the dialog when it lies on the first slot's preview.
    std::optional<std::uint32_t> ColorAt(const QPoint& dialogPoint) const;
    void ConfinePointer(const QPoint& dialogPoint);
    void ShowSlotMenu(int slot, const QPoint& globalPosition);
    void RunSlotCommand(const QString& command);
    void After(SlotOutcome outcome);
    void CopySlot();
    void PasteSlot();
    void ImportSlot();
    void ExportSlot();
    void EditExternally();
    void OnExternalSave(int slot, const QImage& picture);
    void ShowPendingEdits();

    CIniDocument& settings_;
    ImageProperties model_;
    Choosers choosers_;
    std::array<suite::PreviewControl*, CRimArchive::kSlots> previews_{};
    std::array<QLabel*, CRimArchive::kSlots> depthLabels_{};
    std::array<QLabel*, CRimArchive::kSlots> sizeLabels_{};
    std::array<QCheckBox*, CRimArchive::kSlots> compression_{};
    QCheckBox* transparent_ = nullptr;
    QLabel* colorLabel_ = nullptr;
    QWidget* swatch_ = nullptr;
    QPushButton* picker_ = nullptr;
    QPushButton* palette_ = nullptr;
    QLabel* pendingNote_ = nullptr;
    ExternalSlotEditor* external_ = nullptr;
    int currentSlot_ = 0;
    bool picking_ = false;
    QImage pickedFrom_;  // the first preview as drawn when picking began
};

}  // namespace texbench
