// Dialog units: the font-relative measure in which TexBench's dialogs are laid out, so that
// the layout grows with the dialog font as it does on Windows.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace suite {

class DialogUnits {
  public:
    // Horizontal base: the average width of "A".."Z" "a".."z" in the font; vertical base: the
    // font's height. A dialog unit is a quarter of the one and an eighth of the other.
    explicit DialogUnits(const QFont& font);
    // Known base units, e.g. 6 x 13 of the classic 8-point dialog font.
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

    int X(int units) const;  // horizontal dialog units in pixels
    int Y(int units) const;  // vertical dialog units in pixels
    QRect Rect(int x, int y, int w, int h) const;
    QSize Size(int w, int h) const;

  private:
    int baseX_;
    int baseY_;
};

}  // namespace suite
