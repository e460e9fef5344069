#include "suite/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>

namespace suite {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average of 52 letters, rounded to the nearest pixel the way Windows rounds it.
    baseX_ = (alphabetWidth / 26 + 1) / 2;
    baseY_ = metrics.height();
}

int DialogUnits::X(int units) const {
    return units * baseX_ / 4;
}

int DialogUnits::Y(int units) const {
    return units * baseY_ / 8;
}

QRect DialogUnits::Rect(int x, int y, int w, int h) const {
    return QRect(X(x), Y(y), X(w), Y(h));
}

QSize DialogUnits::Size(int w, int h) const {
    return QSize(X(w), Y(h));
}

}  // namespace suite
