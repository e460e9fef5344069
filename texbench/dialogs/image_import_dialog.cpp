#include "texbench/dialogs/image_import_dialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "inidoc/ini_document.h"
#include "suite/qt/dialog_units.h"
#include "suite/qt/qt_picture_codec.h"
#include "texbench/browser/image_file_info.h"
#include "texbench/dialogs/export_dialog.h"
#include "texbench/dialogs/wait_cursor.h"
#include "texbench/imaging/qt/qimage_bridge.h"
#include "texbench/startup/settings.h"

namespace texbench {

QRect ImagePreviewPlacement(const QSize& control, const QSize& picture) {
    const QRect area = QRect(QPoint(0, 0), control).adjusted(5, 5, -5, -5);
    if (area.isEmpty() || picture.isEmpty()) {
        return {};
    }
    QSize size = picture;
    if (picture.width() >= area.width() - 4 || picture.height() >= area.height() - 4) {
        size = picture.scaled(area.size(), Qt::KeepAspectRatio);
    }
    return QRect(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2, size.width(), size.height());
}

ImagePreviewPicture::ImagePreviewPicture(QWidget* parent) : QWidget(parent) {}

void ImagePreviewPicture::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void ImagePreviewPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!picture_.isNull()) {
        painter.drawImage(ImagePreviewPlacement(size(), picture_.size()), picture_);
    }
}

ImageImportDialog::ImageImportDialog(CIniDocument& settings, QWidget* parent,
                                     const QString& caption, const QString& directory,
                                     const char* filter, int filterIndex, int filterOffset)
    : QFileDialog(parent, caption, directory),
      settings_(settings),
      filterOffset_(filterOffset),
      filters_(NameFiltersOf(filter)) {
    // The panel goes into the dialog's own layout, which only Qt's own dialog has.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(filters_);
    if (filterIndex >= 1 && filterIndex <= filters_.size()) {
        selectNameFilter(filters_[filterIndex - 1]);
    }
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(CreatePanel(), grid->rowCount(), 0, 1, grid->columnCount());
    }
    connect(this, &QFileDialog::currentChanged, this, &ImageImportDialog::Examine);
    // Another filter reads the same file another way.
    connect(this, &QFileDialog::filterSelected, this, [this] { Examine(file_); });
    Examine({});
}

// Template 30755: 277 x 78 dialog units.
QWidget* ImageImportDialog::CreatePanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("imagePanel"));
    const suite::DialogUnits du(font());
    panel->setFixedSize(du.Size(277, 78));

    auto* group = new QGroupBox(QStringLiteral("Image information / Preview"), panel);
    group->setGeometry(du.Rect(5, 3, 267, 72));
    sizeLine_ = new QLabel(panel);
    sizeLine_->setObjectName(QStringLiteral("imageLine1160"));
    sizeLine_->setGeometry(du.Rect(10, 17, 170, 8));
    depthLine_ = new QLabel(panel);
    depthLine_->setObjectName(QStringLiteral("imageLine1173"));
    depthLine_->setGeometry(du.Rect(10, 29, 170, 8));
    showPreview_ = new QCheckBox(QStringLiteral("&Show Preview"), panel);
    showPreview_->setObjectName(QStringLiteral("showPreview"));
    showPreview_->setGeometry(du.Rect(10, 58, 80, 10));
    showPreview_->setChecked(ReadInt(settings_, kShowPreview) > 0);
    picture_ = new ImagePreviewPicture(panel);
    picture_->setObjectName(QStringLiteral("imagePreview"));
    picture_->setGeometry(du.Rect(192, 12, 75, 59));
    // Part of the template, never shown.
    auto* details = new QPushButton(QStringLiteral("&Details..."), panel);
    details->setObjectName(QStringLiteral("imageDetails"));
    details->setVisible(false);

    connect(showPreview_, &QCheckBox::toggled, this, &ImageImportDialog::PreviewToggled);
    return panel;
}

int ImageImportDialog::FilterIndex() const {
    return static_cast<int>(filters_.indexOf(selectedNameFilter())) + 1;
}

void ImageImportDialog::Examine(const QString& fileName) {
    file_ = fileName;
    std::optional<ImageFileInfo> info;
    if (!fileName.isEmpty() && QFileInfo(fileName).isFile()) {
        WaitCursor wait;
        suite::QtPictureCodec pictures;  // PNG and what the suite's own readers refuse
        info =
            ExamineImageFile(QFile::encodeName(fileName).toStdString(),
                             FilterIndex() + filterOffset_, ImageBufferBytes(settings_), &pictures);
    }
    sizeLine_->setText(info ? QString::fromLatin1(info->sizeLine.c_str()) : QString());
    depthLine_->setText(info ? QString::fromLatin1(info->depthLine.c_str()) : QString());
    const bool draw = info && showPreview_->isChecked();
    picture_->SetPicture(draw ? ImgToQImage(info->picture.Get()) : QImage());
}

void ImageImportDialog::PreviewToggled(bool on) {
    settings_.SetInt(kShowPreview.section, kShowPreview.key, on ? 1 : 0);
    if (on) {
        Examine(file_);
    } else {
        picture_->SetPicture(QImage());
    }
}

}  // namespace texbench
