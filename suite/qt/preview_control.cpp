#include "suite/qt/preview_control.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <utility>

#include "suite/qt/zoom_cursor.h"

namespace suite {
namespace {

// One pixel wide frame: light top and left, dark bottom and right.
void DrawFrame(QPainter& painter, const QRect& r, const QColor& topLeft,
               const QColor& bottomRight) {
    if (r.width() <= 0 || r.height() <= 0) {
        return;
    }
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

// A bump: a raised outer frame around a sunken inner one, the look of a picture frame.
void DrawBumpEdge(QPainter& painter, const QRect& r, const QPalette& palette) {
    DrawFrame(painter, r, palette.color(QPalette::Midlight), palette.color(QPalette::Shadow));
    DrawFrame(painter, r.adjusted(1, 1, -1, -1), palette.color(QPalette::Dark),
              palette.color(QPalette::Light));
}

}  // namespace

PreviewControl::PreviewControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewControl::SetPicture(const QImage& picture) {
    if (resetZoom_) {
        zoom_ = false;
    }
    picture_ = picture;
    UpdateCursor();
    update();
}

void PreviewControl::ClearPicture() {
    picture_ = QImage();
    UpdateCursor();
    update();
}

void PreviewControl::SetZoom(bool zoom) {
    if (zoom_ != zoom) {
        zoom_ = zoom;
        update();
    }
}

void PreviewControl::SetBackgroundSource(std::function<QPixmap()> source) {
    backgroundSource_ = std::move(source);
    keptBackground_ = QPixmap();
    update();
}

PreviewPlacement PreviewControl::Placement() const {
    if (!HasPicture()) {
        return PreviewPlacement{};
    }
    return PlacePreview(width(), height(), picture_.width(), picture_.height(), zoom_);
}

void PreviewControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (backgroundSource_ && keptBackground_.isNull()) {
        keptBackground_ = backgroundSource_();
    }
    if (keptBackground_.isNull()) {
        painter.fillRect(rect(), palette().color(QPalette::Button));
    } else {
        painter.drawPixmap(0, 0, keptBackground_);
    }
    if (!HasPicture()) {
        return;
    }
    const PreviewPlacement p = Placement();
    DrawBumpEdge(painter, QRect(p.edgeX, p.edgeY, p.edgeW, p.edgeH), palette());
    // Whole pixels, no smoothing: a zoomed texture shows its texels as they are.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(p.pictureX, p.pictureY, p.pictureW, p.pictureH), picture_);
}

void PreviewControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !HasPicture()) {
        QWidget::mousePressEvent(event);
        return;
    }
    zoom_ = !zoom_;
    update();
    emit clicked();
}

void PreviewControl::UpdateCursor() {
    if (HasPicture()) {
        setCursor(ZoomCursor());
    } else {
        unsetCursor();
    }
}

}  // namespace suite
