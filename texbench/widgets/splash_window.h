// The splash window shown while TexBench starts: our artwork, no caption, closed by its
// timer or by a click.
#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QImage>
#include <QSize>

namespace texbench {

// The splash picture at the given size: the product name "Skinwright" and "Quillmark
// Fastfile Tools" over a tiled, texture-like background. Drawn, not scaled, so it stays sharp.
QImage SplashArtwork(QSize size);

class SplashWindow : public QDialog {
    Q_OBJECT

  public:
    // 283 x 188 dialog units in the dialog font, centred on the screen. The timer of
    // `durationMs` starts when the window is shown; when it fires the window closes like OK.
    explicit SplashWindow(int durationMs, QWidget* parent = nullptr);

    int DurationMs() const { return durationMs_; }

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void CentreOnScreen();

    int durationMs_;
    QBasicTimer timer_;
    QImage artwork_;  // drawn for the current size, redrawn when it changes
};

}  // namespace texbench
