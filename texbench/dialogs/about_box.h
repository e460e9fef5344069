// A plain about box: product, suite and version. The credits scroller comes later.
#pragma once

#include <QDialog>

namespace texbench {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace texbench
