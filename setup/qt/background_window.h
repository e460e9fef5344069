#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace qm::setup {

class CSetupConfig;

// The full-screen window behind the wizard ([MainFrame]): the bitmap stretched over it, or
// the colour with the title written twice, black and then white a little up and left, for
// a shadow.
class BackgroundWindow : public QWidget {
  public:
    explicit BackgroundWindow(const CSetupConfig& config, QWidget* parent = nullptr);

    // True when Setup.ini has a [MainFrame] section.
    static bool Wanted(const CSetupConfig& config);
    // The title's font: Times New Roman at 24 points, else the system's serif font.
    static QFont TitleFont();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap bitmap_;
    QColor color_;
    QString title_;
};

}  // namespace qm::setup
