// The preview of the selected texture: the picture centred in a bump edge, at its own size
// or scaled to fit; a click toggles the zoom.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <functional>

#include "suite/preview_geometry.h"

namespace suite {

class PreviewControl : public QWidget {
    Q_OBJECT

  public:
    explicit PreviewControl(QWidget* parent = nullptr);

    // Shows the picture; with reset zoom set, the zoom is switched off first.
    void SetPicture(const QImage& picture);
    void ClearPicture();
    bool HasPicture() const { return !picture_.isNull(); }

    void SetResetZoom(bool reset) { resetZoom_ = reset; }
    bool ResetZoom() const { return resetZoom_; }
    void SetZoom(bool zoom);
    bool Zoomed() const { return zoom_; }

    // What lies behind the control (a skin's picture), asked once on the first paint and kept
    // for as long as the control lives; without it the control fills with the button face.
    void SetBackgroundSource(std::function<QPixmap()> source);

    // Where the edge and the picture are drawn now; all zero without a picture.
    PreviewPlacement Placement() const;

  signals:
    // A left click while a picture is shown, after the zoom was toggled.
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void UpdateCursor();

    QImage picture_;
    std::function<QPixmap()> backgroundSource_;
    QPixmap keptBackground_;
    bool zoom_ = false;
    bool resetZoom_ = false;
};

}  // namespace suite
