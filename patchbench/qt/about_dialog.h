// Dialog 100, the about box: the program, its version and where it belongs.
#pragma once

#include <QDialog>

namespace patchbench {

class AboutDialog : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace patchbench
