#include "texbench/widgets/bitmap_progress_bar.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "texbench/widgets/program_bitmaps.h"

namespace texbench {

BitmapProgressBar::BitmapProgressBar(QWidget* parent)
    : QWidget(parent), full_(ProgramBitmap(kProgressFull)), empty_(ProgramBitmap(kProgressEmpty)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BitmapProgressBar::setRange(int lo, int hi) {
    lo_ = lo;
    hi_ = hi;
    update();
}

void BitmapProgressBar::setValue(int pos) {
    pos_ = pos;
    update();
}

QSize BitmapProgressBar::sizeHint() const {
    return QSize(kProgressBitmapWidth, kProgressBitmapHeight);
}

void BitmapProgressBar::paintEvent(QPaintEvent*) {
    // Drawn off screen and copied, so that the bar never flickers through black.
    QPixmap buffer(size());
    buffer.fill(Qt::black);
    {
        QPainter painter(&buffer);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        if (pos_ < hi_) {
            painter.drawImage(rect(), empty_);
        }
        // A range whose top is not above 0 has no part done to scale by.
        if (lo_ < pos_ && hi_ > 0) {
            const qint64 done = static_cast<qint64>(pos_);
            const int source =
                static_cast<int>(std::min<qint64>(done * empty_.width() / hi_, full_.width()));
            const int target = static_cast<int>(std::min<qint64>(done * width() / hi_, width()));
            painter.drawImage(QRect(0, 0, target, height()), full_,
                              QRect(0, 0, source, full_.height()));
        }
    }
    QPainter(this).drawPixmap(0, 0, buffer);
}

}  // namespace texbench
