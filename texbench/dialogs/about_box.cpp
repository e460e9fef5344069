#include "texbench/dialogs/about_box.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <utility>

#include "suite/qt/dialog_units.h"
#include "texbench/startup/product_name.h"
#include "texbench/widgets/program_bitmaps.h"
#include "texbench/widgets/program_icon.h"

namespace texbench {

// The credits area (1031): an off-screen picture of the background part with the text on it,
// its top at the area's bottom less the offset, so that the text enters at the bottom edge and
// leaves at the top before it starts again.
class AboutCreditsArea : public QWidget {
  public:
    AboutCreditsArea(AboutBox& box, QString text)
        : QWidget(&box), box_(box), text_(std::move(text)) {
        setObjectName(QStringLiteral("credits"));
        setAttribute(Qt::WA_OpaquePaintEvent);  // redrawn without erasing
        setCursor(Qt::BlankCursor);
    }

    const QString& Text() const { return text_; }
    int Offset() const { return offset_; }
    int Period() const { return period_; }

    void Tick() {
        ++offset_;
        if (period_ > 0 && offset_ >= period_) {
            offset_ = 0;
        }
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (period_ == 0) {
            // Measured once: a text taller than the area still scrolls wholly out.
            textHeight_ =
                fontMetrics().boundingRect(QRect(0, 0, width(), 0), kFlags, text_).height();
            period_ = height() + textHeight_;
        }
        if (buffer_.size() != size()) {
            buffer_ = QPixmap(size());
        }
        {
            QPainter painter(&buffer_);
            box_.DrawBackgroundPart(painter, geometry());
            painter.setFont(font());
            painter.setPen(QColor(0, 255, 0));
            painter.drawText(QRect(0, height() - offset_, width(), textHeight_),
                             kFlags | Qt::TextDontClip, text_);
        }
        QPainter(this).drawPixmap(0, 0, buffer_);
    }

  private:
    // Centred, an ampersand drawn as it is.
    static constexpr int kFlags = Qt::AlignHCenter | Qt::AlignTop;

    AboutBox& box_;
    QString text_;
    QPixmap buffer_;
    int offset_ = 0;
    int period_ = 0;
    int textHeight_ = 0;
};

namespace {

// A link label (1032, 1033): its text centred on one line in the underlined font, red while
// the pointer is over it and blue otherwise; a click opens its address through the desktop.
class LinkLabel : public QWidget {
  public:
    LinkLabel(AboutBox& box, const QString& text, const char* address)
        : QWidget(&box), box_(box), text_(text), address_(QString::fromLatin1(address)) {
        QFont underlined = box.font();
        underlined.setUnderline(true);
        setFont(underlined);
        setCursor(PointingCursor());
        setAttribute(Qt::WA_Hover);
    }
    bool Hovered() const { return hovered_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        box_.DrawBackgroundPart(painter, geometry());
        painter.setFont(font());
        painter.setPen(hovered_ ? QColor(255, 0, 0) : QColor(0, 0, 255));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text_);
    }
    void enterEvent(QEnterEvent*) override { SetHovered(true); }
    void leaveEvent(QEvent*) override { SetHovered(false); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            QDesktopServices::openUrl(QUrl(address_));
        }
    }

  private:
    void SetHovered(bool hovered) {
        if (hovered_ != hovered) {
            hovered_ = hovered;
            update();
        }
    }

    AboutBox& box_;
    QString text_;
    QString address_;
    bool hovered_ = false;
};

// Close (1): the background part under it in a 3-D frame, white top-left and black
// bottom-right, the other way round while pressed.
class CloseButton : public QPushButton {
  public:
    explicit CloseButton(AboutBox& box) : QPushButton(QStringLiteral("Close"), &box), box_(box) {
        setObjectName(QStringLiteral("close"));
        setCursor(PointingCursor());
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        box_.DrawBackgroundPart(painter, geometry());
        const QColor light = isDown() ? Qt::black : Qt::white;
        const QColor dark = isDown() ? Qt::white : Qt::black;
        const QRect r = rect();
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), light);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), light);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), dark);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), dark);
        painter.setPen(Qt::white);
        painter.drawText(r.translated(isDown() ? 1 : 0, isDown() ? 1 : 0), Qt::AlignCenter, text());
    }

  private:
    AboutBox& box_;
};

// Plain statics: white text on whatever lies under them.
QLabel* TransparentLabel(QWidget* parent, const QString& text, Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    return label;
}

QString CreditsFrom(const std::optional<std::string>& credits) {
    QString text = QString::fromLocal8Bit(credits ? *credits : std::string(kCreditsFailed));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A final line break ends the last line; it does not start another.
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return text;
}

}  // namespace

AboutBox::AboutBox(QWidget* parent, std::optional<std::string> credits)
    : QDialog(parent), background_(ProgramBitmap(kAboutBackground)) {
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(kProductName));
    setWindowIcon(ProgramIcon());
    credits_ = new AboutCreditsArea(*this, CreditsFrom(credits));
    CreateControls();
    timer_.setInterval(kCreditsTimerMs);
    connect(&timer_, &QTimer::timeout, this, &AboutBox::Tick);
    timer_.start();
}

AboutBox::~AboutBox() {
    timer_.stop();
}

void AboutBox::CreateControls() {
    const suite::DialogUnits du(font());
    setFixedSize(du.Size(220, 190));
    auto* product = TransparentLabel(this,
                                     QStringLiteral("Skinwright\nQuillmark Fastfile Tools\n"
                                                    "Version 2.0 (BETA 2)"),
                                     Qt::AlignCenter);
    product->setObjectName(QStringLiteral("product"));
    product->setGeometry(du.Rect(10, 6, 200, 30));
    credits_->setGeometry(du.Rect(20, 42, 180, 86));
    TransparentLabel(this, QStringLiteral("The Quillmark Website:"),
                     Qt::AlignLeft | Qt::AlignVCenter)
        ->setGeometry(du.Rect(14, 136, 86, 10));
    auto* site = new LinkLabel(*this, QStringLiteral("quillmark.example"), kWebSiteAddress);
    site->setObjectName(QStringLiteral("site"));
    site->setGeometry(du.Rect(100, 136, 106, 10));
    TransparentLabel(this, QStringLiteral("Quillmark Contact:"), Qt::AlignLeft | Qt::AlignVCenter)
        ->setGeometry(du.Rect(14, 150, 86, 10));
    auto* mail = new LinkLabel(*this, QStringLiteral("tools@quillmark.example"), kContactAddress);
    mail->setObjectName(QStringLiteral("mail"));
    mail->setGeometry(du.Rect(100, 150, 106, 10));
    auto* close = new CloseButton(*this);
    close->setGeometry(du.Rect(85, 168, 50, 14));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::DrawBackgroundPart(QPainter& painter, const QRect& area) const {
    if (background_.isNull() || width() <= 0 || height() <= 0) {
        return;
    }
    const qreal scaleX = static_cast<qreal>(background_.width()) / width();
    const qreal scaleY = static_cast<qreal>(background_.height()) / height();
    const QRectF source(area.x() * scaleX, area.y() * scaleY, area.width() * scaleX,
                        area.height() * scaleY);
    painter.drawImage(QRectF(0, 0, area.width(), area.height()), background_, source);
}

void AboutBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), background_);
    // The frame around the credits.
    const QRect frame = credits_->geometry().adjusted(-1, -1, 0, 0);
    painter.setPen(QColor(110, 140, 210));
    painter.drawRect(frame);
}

QString AboutBox::CreditsText() const {
    return credits_->Text();
}
int AboutBox::ScrollOffset() const {
    return credits_->Offset();
}
int AboutBox::ScrollPeriod() const {
    return credits_->Period();
}
QWidget* AboutBox::CreditsArea() const {
    return credits_;
}

void AboutBox::Tick() {
    credits_->Tick();
}

void AboutBox::done(int result) {
    timer_.stop();
    QDialog::done(result);
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    dragPoint_ = event->globalPosition().toPoint();
    grabMouse();
}

void AboutBox::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QDialog::mouseMoveEvent(event);
        return;
    }
    const QPoint now = event->globalPosition().toPoint();
    move(pos() + (now - dragPoint_));
    dragPoint_ = now;
}

void AboutBox::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        releaseMouse();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

}  // namespace texbench
