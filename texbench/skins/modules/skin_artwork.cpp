#include "texbench/skins/modules/skin_artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "texbench/skins/dialog_template.h"

namespace skinart {
namespace {

// Pixels per dialog unit of the drawn pictures; the dialog stretches them to its own size.
constexpr int kScale = 2;
constexpr int kButtonScale = 3;

struct ButtonFace {
    int id;
    const char* label;
};
constexpr ButtonFace kButtons[] = {
    {500, "Import..."}, {501, "Export..."}, {502, "Open"},
    {503, "Patch"},     {504, "About..."},  {505, "Close"},
};
// The button picture's id for the control id of the template.
int PictureOfControl(int controlId) {
    switch (controlId) {
        case 1000:
            return 500;
        case 1001:
            return 501;
        case 1055:
            return 502;
        case 1053:
            return 503;
        case 57664:
            return 504;
        case 2:
            return 505;
        default:
            return 0;
    }
}

constexpr char kHiveLayout[] = R"(# Hive: the system look's places, every button a picture.
DIALOG 295 210
CONTROL 0 label 7 7 120 10 "Database/Fastfile contents:"
CONTROL 1010 tree 7 18 120 100
CONTROL 1011 list 7 126 120 77
CONTROL 0 label 136 7 120 10 "Preview:"
CONTROL 1005 preview 136 18 152 128
CONTROL 1006 info 136 150 152 10
CONTROL 1000 button 136 171 50 14 OWNERDRAW "&Import..."
CONTROL 1001 button 190 171 50 14 OWNERDRAW "&Export..."
CONTROL 57664 button 244 171 44 14 OWNERDRAW "&About..."
CONTROL 1055 button 136 189 50 14 OWNERDRAW "&Open"
CONTROL 1053 button 190 189 50 14 OWNERDRAW "&Patch"
CONTROL 2 button 244 189 44 14 OWNERDRAW "&Close"
)";

constexpr char kConsoleLayout[] =
    R"(# Console: a taller list, a wider button deck under the preview.
DIALOG 295 210
CONTROL 0 label 9 6 120 10 "Database/Fastfile contents:"
CONTROL 1010 tree 9 18 118 90
CONTROL 1011 list 9 116 118 86
CONTROL 0 label 138 6 120 10 "Preview:"
CONTROL 1005 preview 138 18 148 118
CONTROL 1006 info 138 141 148 10
CONTROL 1000 button 138 158 47 19 OWNERDRAW "&Import..."
CONTROL 1001 button 188 158 47 19 OWNERDRAW "&Export..."
CONTROL 57664 button 238 158 48 19 OWNERDRAW "&About..."
CONTROL 1055 button 138 183 47 19 OWNERDRAW "&Open"
CONTROL 1053 button 188 183 47 19 OWNERDRAW "&Patch"
CONTROL 2 button 238 183 48 19 OWNERDRAW "&Close"
)";

std::uint32_t Hash(std::uint32_t x, std::uint32_t y) {
    std::uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

QRectF ControlRect(const texbench::ControlTemplate& control, int scale) {
    return QRectF(control.x * scale, control.y * scale, control.width * scale,
                  control.height * scale);
}

QFont LabelFont(int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

// ---- Hive: a dark honeycomb with green glowing rims.

void DrawHoneycomb(QPainter& painter, const QSizeF& size, qreal radius, const QColor& line) {
    const qreal w = std::sqrt(3.0) * radius;
    const qreal h = 1.5 * radius;
    painter.setPen(QPen(line, 1.2));
    painter.setBrush(Qt::NoBrush);
    for (int row = -1; row * h < size.height() + radius; ++row) {
        for (int col = -1; col * w < size.width() + w; ++col) {
            const QPointF centre(col * w + ((row & 1) != 0 ? w / 2 : 0), row * h);
            QPolygonF hexagon;
            for (int corner = 0; corner < 6; ++corner) {
                const qreal angle = M_PI / 180.0 * (60.0 * corner - 30.0);
                hexagon << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
            }
            painter.drawPolygon(hexagon);
        }
    }
}

QImage HiveBackground(const QSize& size, const texbench::DialogTemplate* layout, int scale) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(size.width() * 0.7, size.height() * 0.35), size.width() * 0.8);
    glow.setColorAt(0.0, QColor(24, 58, 34));
    glow.setColorAt(1.0, QColor(4, 10, 6));
    painter.fillRect(image.rect(), glow);
    DrawHoneycomb(painter, size, 12.0, QColor(40, 110, 60, 150));
    if (layout != nullptr) {
        for (const auto& control : layout->controls) {
            if (control.kind == "button" || control.kind == "label") {
                continue;
            }
            const QRectF frame = ControlRect(control, scale).adjusted(-4, -4, 4, 4);
            painter.setPen(QPen(QColor(90, 230, 120), 2));
            painter.setBrush(QColor(0, 0, 0, 140));
            painter.drawRoundedRect(frame, 5, 5);
        }
    }
    return image;
}

QImage HiveButton(const QSize& size, const char* label, bool pressed) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(4, 10, 6));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = QRectF(image.rect()).adjusted(2, 2, -2, -2);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    if (pressed) {
        fill.setColorAt(0.0, QColor(120, 255, 150));
        fill.setColorAt(1.0, QColor(40, 170, 70));
    } else {
        fill.setColorAt(0.0, QColor(26, 70, 38));
        fill.setColorAt(1.0, QColor(8, 28, 14));
    }
    const qreal cut = plate.height() / 3;
    QPainterPath path;
    path.moveTo(plate.left() + cut, plate.top());
    path.lineTo(plate.right() - cut, plate.top());
    path.lineTo(plate.right(), plate.center().y());
    path.lineTo(plate.right() - cut, plate.bottom());
    path.lineTo(plate.left() + cut, plate.bottom());
    path.lineTo(plate.left(), plate.center().y());
    path.closeSubpath();
    painter.setPen(QPen(QColor(110, 255, 140), 3));
    painter.setBrush(fill);
    painter.drawPath(path);
    painter.setFont(LabelFont(size.height() * 2 / 5));
    painter.setPen(pressed ? QColor(4, 30, 10) : QColor(150, 255, 170));
    painter.drawText(QRectF(image.rect()).translated(pressed ? 1 : 0, pressed ? 2 : 0),
                     Qt::AlignCenter, QString::fromLatin1(label));
    return image;
}

// ---- Console: brushed metal, engraved frames, rivets, amber labels.

QImage Metal(const QSize& size, int base) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int streak = static_cast<int>(Hash(0, static_cast<std::uint32_t>(y)) % 18) - 9;
        for (int x = 0; x < size.width(); ++x) {
            const int grain =
                static_cast<int>(
                    Hash(static_cast<std::uint32_t>(x / 7), static_cast<std::uint32_t>(y)) % 9) -
                4;
            const int shade = base + streak + grain - y * 30 / std::max(1, size.height());
            const int v = std::clamp(shade, 0, 255);
            line[x] = qRgb(v, v, std::clamp(v + 6, 0, 255));
        }
    }
    return image;
}

void Rivet(QPainter& painter, const QPointF& centre, qreal radius) {
    QRadialGradient head(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    head.setColorAt(0.0, QColor(245, 245, 250));
    head.setColorAt(1.0, QColor(70, 72, 80));
    painter.setPen(QPen(QColor(30, 30, 34), 1));
    painter.setBrush(head);
    painter.drawEllipse(centre, radius, radius);
}

QImage ConsoleBackground(const QSize& size, const texbench::DialogTemplate* layout, int scale) {
    QImage image = Metal(size, 150);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal r = std::max(3, size.height() / 60);
    for (const QPointF corner :
         {QPointF(2.5 * r, 2.5 * r), QPointF(size.width() - 2.5 * r, 2.5 * r),
          QPointF(2.5 * r, size.height() - 2.5 * r),
          QPointF(size.width() - 2.5 * r, size.height() - 2.5 * r)}) {
        Rivet(painter, corner, r);
    }
    if (layout != nullptr) {
        for (const auto& control : layout->controls) {
            if (control.kind == "label") {
                continue;
            }
            const QRectF groove = ControlRect(control, scale).adjusted(-3, -3, 3, 3);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QColor(60, 62, 70), 2));
            painter.drawRect(groove);
            painter.setPen(QPen(QColor(215, 218, 226), 1));
            painter.drawRect(groove.translated(1.5, 1.5));
        }
    }
    return image;
}

QImage ConsoleButton(const QSize& size, const char* label, bool pressed) {
    QImage image = Metal(size, pressed ? 95 : 185);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(image.rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient sheen(face.topLeft(), face.bottomLeft());
    sheen.setColorAt(0.0, pressed ? QColor(0, 0, 0, 90) : QColor(255, 255, 255, 110));
    sheen.setColorAt(1.0, pressed ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 90));
    painter.setPen(QPen(QColor(20, 20, 24), 2));
    painter.setBrush(sheen);
    painter.drawRoundedRect(face, 6, 6);
    // A little amber lamp at the left that lights while the button is down.
    const qreal lamp = size.height() / 8.0;
    painter.setPen(QPen(QColor(30, 20, 0), 1));
    painter.setBrush(pressed ? QColor(255, 190, 40) : QColor(90, 60, 10));
    painter.drawEllipse(QPointF(face.left() + lamp * 2.2, face.center().y()), lamp, lamp);
    painter.setFont(LabelFont(size.height() / 3));
    const QRectF text = QRectF(image.rect()).adjusted(lamp * 3.5, 0, 0, 0);
    painter.setPen(QColor(255, 255, 255, 120));
    painter.drawText(text.translated(1, 1 + (pressed ? 1 : 0)), Qt::AlignCenter,
                     QString::fromLatin1(label));
    painter.setPen(pressed ? QColor(255, 200, 60) : QColor(25, 25, 30));
    painter.drawText(text.translated(0, pressed ? 1 : 0), Qt::AlignCenter,
                     QString::fromLatin1(label));
    return image;
}

using BackgroundPainter = QImage (*)(const QSize&, const texbench::DialogTemplate*, int);
using ButtonPainter = QImage (*)(const QSize&, const char*, bool);

Look Draw(const char* layoutText, BackgroundPainter background, ButtonPainter button) {
    Look look;
    look.layout = layoutText;
    const auto layout = texbench::ParseMainDialogTemplate(layoutText);
    if (!layout) {
        return Look{};
    }
    look.pictures.push_back({400, background(QSize(layout->width * kScale, layout->height * kScale),
                                             &*layout, kScale)});
    look.pictures.push_back({401, background(QSize(300, 120), nullptr, kScale)});
    for (const auto& control : layout->controls) {
        const int picture = PictureOfControl(control.id);
        if (picture == 0) {
            continue;
        }
        const QSize size(control.width * kButtonScale, control.height * kButtonScale);
        const char* label = "";
        for (const ButtonFace& face : kButtons) {
            if (face.id == picture) {
                label = face.label;
            }
        }
        look.pictures.push_back({picture, button(size, label, false)});
        look.pictures.push_back({picture + 100, button(size, label, true)});
    }
    return look;
}

}  // namespace

Look DrawLook(const std::string& name) {
    if (name == "hive") {
        return Draw(kHiveLayout, HiveBackground, HiveButton);
    }
    if (name == "console") {
        return Draw(kConsoleLayout, ConsoleBackground, ConsoleButton);
    }
    return Look{};
}

}  // namespace skinart
