// The progress window's bar, drawn from two pictures: the empty bar (153) stretched over the
// whole control and the full bar's left part (152) over the part that is done.
#pragma once

#include <QImage>
#include <QWidget>

namespace texbench {

class BitmapProgressBar : public QWidget {
    Q_OBJECT
  public:
    explicit BitmapProgressBar(QWidget* parent = nullptr);

    void setRange(int lo, int hi);
    void setValue(int pos);
    int minimum() const { return lo_; }
    int maximum() const { return hi_; }
    int value() const { return pos_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage full_;
    QImage empty_;
    int lo_ = 0;
    int hi_ = 100;
    int pos_ = 0;
};

}  // namespace texbench
