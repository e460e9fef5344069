// The open-file dialog for pictures: the usual file dialog with an "Image information /
// Preview" panel below it that gives the selected file's size and depth, read by the chosen
// filter's reader, and draws it when "&Show Preview" is ticked. Import uses it with the item
// filter list; the image properties dialog with its slot list, which lacks the RIM entry and
// so is opened with a filter offset of one.
#pragma once

#include <QFileDialog>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

class CIniDocument;
class QCheckBox;
class QLabel;

namespace texbench {

// Where the preview draws a picture inside its control: the control less 5 pixels on every
// side; a picture not smaller than that less 4 pixels in either direction is scaled down to
// fit, keeping its proportions; centred.
QRect ImagePreviewPlacement(const QSize& control, const QSize& picture);

// The preview picture (1005): white, a one-pixel black border, the picture stretched into
// place.
class ImagePreviewPicture : public QWidget {
    Q_OBJECT
  public:
    explicit ImagePreviewPicture(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    bool HasPicture() const { return !picture_.isNull(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};

class ImageImportDialog : public QFileDialog {
    Q_OBJECT
  public:
    // filter: "text|pattern|...||||"; filterIndex: the entry chosen first (from 1). The file
    // is read by the reader of the item filter index: the dialog's index plus filterOffset.
    ImageImportDialog(CIniDocument& settings, QWidget* parent, const QString& caption,
                      const QString& directory, const char* filter, int filterIndex,
                      int filterOffset = 0);

    // The chosen entry of the shown list, from 1.
    int FilterIndex() const;
    // Describes the file (empty: no selection) by the current filter, or clears the panel.
    void Examine(const QString& fileName);

  private:
    QWidget* CreatePanel();
    void PreviewToggled(bool on);

    CIniDocument& settings_;
    int filterOffset_;
    QStringList filters_;
    QString file_;
    QLabel* sizeLine_ = nullptr;
    QLabel* depthLine_ = nullptr;
    ImagePreviewPicture* picture_ = nullptr;
    QCheckBox* showPreview_ = nullptr;
};

}  // namespace texbench
