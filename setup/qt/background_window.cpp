#include "setup/qt/background_window.h"

#include <QPainter>

#include "setup/setup_config.h"
#include "setup/setup_paths.h"

namespace qm::setup {

namespace {

constexpr std::uint32_t kDefaultColor = 0xC00000;  // 0,0,192 in the order 0x00BBGGRR
constexpr int kShadowInset = 24;
constexpr int kTitleInset = 20;

QColor ColorOf(const CSetupConfig& config) {
    const std::uint32_t value = config.Ini().GetColor("MainFrame", "Color", kDefaultColor);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

}  // namespace

BackgroundWindow::BackgroundWindow(const CSetupConfig& config, QWidget* parent)
    : QWidget(parent),
      color_(ColorOf(config)),
      title_(QString::fromStdString(config.GetString("MainFrame", "Title"))) {
    const std::string bitmap = config.GetString("MainFrame", "BitMap");
    if (!bitmap.empty()) {
        bitmap_.load(QString::fromStdString(ResolvePath(config.CurrentDirectory(), bitmap)));
    }
    setWindowTitle(QStringLiteral("Setup"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool BackgroundWindow::Wanted(const CSetupConfig& config) {
    return config.Ini().FindSection("MainFrame") != nullptr;
}

QFont BackgroundWindow::TitleFont() {
    QFont font(QStringLiteral("Times New Roman"), 24);
    font.setStyleHint(QFont::Serif);
    return font;
}

void BackgroundWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!bitmap_.isNull()) {
        painter.drawPixmap(rect(), bitmap_);
        return;
    }
    painter.fillRect(rect(), color_);
    painter.setFont(TitleFont());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    painter.setPen(Qt::black);
    painter.drawText(rect().adjusted(kShadowInset, kShadowInset, -kTitleInset, -kTitleInset), flags,
                     title_);
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(kTitleInset, kTitleInset, -kShadowInset, -kShadowInset), flags,
                     title_);
}

}  // namespace qm::setup
