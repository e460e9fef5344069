#include "suite/qt/sound_import_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "inidoc/ini_document.h"
#include "platform/sound.h"
#include "suite/qt/dialog_units.h"
#include "suite/sound_description.h"

namespace suite {
namespace {

constexpr int kPlayIcon = 200;
constexpr int kStopIcon = 201;
constexpr int kIconSize = 16;

// Reading a header from a slow or network drive can take a moment.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

// A green triangle pointing right for Play, a dark red square for Stop, each with a dark
// outline so that they read on light and dark button faces.
QIcon SoundButtonIcon(int id) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(32, 32, 32), 1));
    if (id == kPlayIcon) {
        QPainterPath triangle;
        triangle.moveTo(4.5, 2.5);
        triangle.lineTo(13.5, 8);
        triangle.lineTo(4.5, 13.5);
        triangle.closeSubpath();
        painter.setBrush(QColor(0, 160, 0));
        painter.drawPath(triangle);
    } else if (id == kStopIcon) {
        painter.setBrush(QColor(176, 0, 0));
        painter.drawRect(QRectF(3.5, 3.5, 9, 9));
    }
    painter.end();
    return QIcon(pixmap);
}

SoundImportDialog::SoundImportDialog(CIniDocument& settings, const IntSetting& loopSetting,
                                     QWidget* parent, const QString& caption,
                                     const QString& directory, const QString& filter)
    : QFileDialog(parent, caption, directory, filter),
      settings_(settings),
      loopSetting_(loopSetting) {
    // The panel goes into the dialog's own layout, which only Qt's own dialog has.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(CreatePanel(), grid->rowCount(), 0, 1, grid->columnCount());
    }
    connect(this, &QFileDialog::currentChanged, this, &SoundImportDialog::ShowFile);
    ShowFile({});
}

// Template 30756: 277 x 50 dialog units.
QWidget* SoundImportDialog::CreatePanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("soundPanel"));
    const DialogUnits du(font());
    panel->setFixedSize(du.Size(277, 50));

    auto* group = new QGroupBox(QStringLiteral("Sound information / Preview"), panel);
    group->setGeometry(du.Rect(5, 3, 204, 42));
    duration_ = new QLabel(panel);
    duration_->setObjectName(QStringLiteral("soundLine1160"));
    duration_->setGeometry(du.Rect(10, 17, 115, 8));
    format_ = new QLabel(panel);
    format_->setObjectName(QStringLiteral("soundLine1173"));
    format_->setGeometry(du.Rect(10, 29, 115, 8));

    play_ = new QPushButton(QStringLiteral("&Play"), panel);
    play_->setObjectName(QStringLiteral("soundPlay"));
    play_->setIcon(SoundButtonIcon(kPlayIcon));
    play_->setGeometry(du.Rect(130, 14, 37, 14));
    play_->setAutoDefault(false);
    stop_ = new QPushButton(QStringLiteral("&Stop"), panel);
    stop_->setObjectName(QStringLiteral("soundStop"));
    stop_->setIcon(SoundButtonIcon(kStopIcon));
    stop_->setGeometry(du.Rect(169, 14, 37, 14));
    stop_->setAutoDefault(false);
    loop_ = new QCheckBox(QStringLiteral("&Loop sound"), panel);
    loop_->setObjectName(QStringLiteral("soundLoop"));
    loop_->setGeometry(du.Rect(130, 31, 76, 10));
    loop_->setChecked(ReadInt(settings_, loopSetting_) > 0);

    connect(play_, &QPushButton::clicked, this, &SoundImportDialog::Play);
    connect(stop_, &QPushButton::clicked, this, [] { qm::StopSound(); });
    connect(loop_, &QCheckBox::toggled, this, &SoundImportDialog::LoopToggled);
    return panel;
}

void SoundImportDialog::ShowFile(const QString& fileName) {
    WaitCursor wait;
    std::optional<SoundFileLines> lines;
    if (!fileName.isEmpty() && QFileInfo(fileName).isFile()) {
        lines = DescribeSoundFile(QFile::encodeName(fileName).toStdString());
    }
    file_ = lines ? fileName : QString();
    duration_->setText(lines ? QString::fromLatin1(lines->duration.c_str()) : QString());
    format_->setText(lines ? QString::fromLatin1(lines->format.c_str()) : QString());
    play_->setEnabled(lines.has_value());
}

void SoundImportDialog::Play() {
    if (!file_.isEmpty()) {
        qm::PlaySoundFile(QFile::encodeName(file_).toStdString(), loop_->isChecked());
    }
}

void SoundImportDialog::LoopToggled(bool on) {
    settings_.SetInt(loopSetting_.section, loopSetting_.key, on ? 1 : 0);
    if (!on) {
        qm::StopSound();
    }
}

}  // namespace suite
