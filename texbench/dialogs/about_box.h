// The about box (dialog 150): one background picture under every control, the product text,
// the credits scrolling upward in green, the links to our web site and our contact address,
// and an owner-drawn Close. It can be dragged by its body.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QTimer>
#include <optional>
#include <string>

#include "texbench/dialogs/about_credits.h"

class QPainter;

namespace texbench {

inline constexpr char kWebSiteAddress[] = "https://quillmark.example/fastfile-tools";
inline constexpr char kContactAddress[] = "mailto:tools@quillmark.example";
inline constexpr int kCreditsTimerMs = 40;  // 25 pixels a second

class AboutCreditsArea;

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    // credits: the text of resource "BIN" 160, none when it is missing.
    explicit AboutBox(QWidget* parent = nullptr,
                      std::optional<std::string> credits = ProgramCredits());
    ~AboutBox() override;

    // Draws the part of the background picture that lies under `area` (dialog coordinates)
    // into the painter's rectangle of the area's size at (0, 0).
    void DrawBackgroundPart(QPainter& painter, const QRect& area) const;

    // The scroller, for the program and tests: the text it scrolls, the offset in pixels, the
    // period (0 until the area was first drawn), and one step of the timer.
    QString CreditsText() const;
    int ScrollOffset() const;
    int ScrollPeriod() const;
    void Tick();
    bool TimerRunning() const { return timer_.isActive(); }
    QWidget* CreditsArea() const;

    void done(int result) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void CreateControls();

    QImage background_;  // bitmap 149
    AboutCreditsArea* credits_ = nullptr;
    QTimer timer_;
    bool dragging_ = false;
    QPoint dragPoint_;
};

}  // namespace texbench
