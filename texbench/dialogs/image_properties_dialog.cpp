#include "texbench/dialogs/image_properties_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "platform/message_box.h"

#include "suite/qt/dialog_units.h"
#include "suite/qt/preview_control.h"
#include "texbench/dialogs/external_slot_editor.h"
#include "texbench/dialogs/properties_artwork.h"
#include "texbench/dialogs/wait_cursor.h"
#include "texbench/imaging/packed_dib.h"
#include "texbench/imaging/qt/qimage_bridge.h"
#include "texbench/properties/properties_texts.h"

namespace texbench {
namespace {

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::uint32_t ColorWord(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) |
           (static_cast<std::uint32_t>(color.green()) << 8) |
           (static_cast<std::uint32_t>(color.blue()) << 16);
}

QColor ColorOf(std::uint32_t word) {
    return QColor(static_cast<int>(word & 0xFF), static_cast<int>((word >> 8) & 0xFF),
                  static_cast<int>((word >> 16) & 0xFF));
}

// The owner-drawn swatch: the displayed colour inside a sunken frame.
class ColorSwatch : public QWidget {
  public:
    explicit ColorSwatch(QWidget* parent) : QWidget(parent) {}
    void SetColor(const QColor& color) {
        color_ = color;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        painter.fillRect(rect().adjusted(1, 1, 0, 0), palette().color(QPalette::Light));
        painter.fillRect(rect().adjusted(1, 1, -1, -1), color_);
    }

  private:
    QColor color_ = Qt::black;
};

std::optional<QColor> AskColorDialog(QWidget* parent, const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, parent);
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

// The clipboard holds a picture another program (or this one) put there.
bool ClipboardHoldsPicture() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasImage();
}

}  // namespace

ImagePropertiesDialog::ImagePropertiesDialog(CIniDocument& settings, const std::string& name,
                                             std::span<const std::uint8_t> bytes, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      model_(name, bytes) {
    choosers_.color = AskColorDialog;
    choosers_.importFile = [this](QWidget* parent, const QString& directory, int filterIndex) {
        return ChooseSlotImportPicture(settings_, parent, directory, filterIndex);
    };
    setObjectName(QStringLiteral("image properties"));
    setWindowTitle(Latin1(model_.Caption(kPropertiesCaption)));
    external_ = new ExternalSlotEditor(this);
    connect(external_, &ExternalSlotEditor::edited, this, &ImagePropertiesDialog::OnExternalSave);
    CreateControls();
    PostRefresh();
}

ImagePropertiesDialog::~ImagePropertiesDialog() = default;

void ImagePropertiesDialog::CreateControls() {
    const suite::DialogUnits du(font());
    setFixedSize(du.Size(301, 145));
    for (int i = 0; i < static_cast<int>(CRimArchive::kSlots); ++i) {
        const int x = 7 + i * 97;
        // A sunken frame shows where an empty slot's picture would go.
        auto* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        frame->setGeometry(du.Rect(x, 7, 91, 68));
        auto* preview = new suite::PreviewControl(frame);
        preview->setObjectName(QStringLiteral("RIM %1").arg(i + 1));
        preview->setGeometry(frame->contentsRect());
        preview->installEventFilter(this);
        previews_[static_cast<std::size_t>(i)] = preview;

        auto* caption = new QLabel(QStringLiteral("Image %1:").arg(i + 1), this);
        caption->setGeometry(du.Rect(x, 79, 30, 8));
        auto* depth = new QLabel(this);
        depth->setObjectName(QStringLiteral("depth %1").arg(i + 1));
        depth->setGeometry(du.Rect(x + 34, 79, 57, 8));
        depthLabels_[static_cast<std::size_t>(i)] = depth;

        auto* box = new QCheckBox(QStringLiteral(" compr. "), this);
        box->setObjectName(QStringLiteral("compression %1").arg(i + 1));
        box->setGeometry(du.Rect(x, 89, 42, 10));
        box->setEnabled(false);
        connect(box, &QCheckBox::clicked, this, [this, i] { OnCompressionClicked(i); });
        compression_[static_cast<std::size_t>(i)] = box;

        auto* size = new QLabel(this);
        size->setObjectName(QStringLiteral("size %1").arg(i + 1));
        size->setGeometry(du.Rect(x + 44, 90, 47, 8));
        sizeLabels_[static_cast<std::size_t>(i)] = size;
    }

    transparent_ = new QCheckBox(QStringLiteral(" Transparent "), this);
    transparent_->setObjectName(QStringLiteral("transparent"));
    transparent_->setGeometry(du.Rect(7, 107, 58, 10));
    colorLabel_ = new QLabel(QStringLiteral("R:00  G:00  B:00"), this);
    colorLabel_->setObjectName(QStringLiteral("color"));
    colorLabel_->setGeometry(du.Rect(68, 108, 74, 8));
    swatch_ = new ColorSwatch(this);
    swatch_->setObjectName(QStringLiteral("swatch"));
    swatch_->setGeometry(du.Rect(144, 106, 16, 12));

    picker_ = new QPushButton(PickerIcon(), QString(), this);
    picker_->setObjectName(QStringLiteral("picker"));
    picker_->setToolTip(QStringLiteral("Picker"));
    picker_->setAccessibleName(QStringLiteral("Picker"));
    picker_->setGeometry(du.Rect(164, 105, 20, 14));
    picker_->setAutoDefault(false);
    connect(picker_, &QPushButton::clicked, this, &ImagePropertiesDialog::StartPicking);
    palette_ = new QPushButton(PaletteIcon(), QString(), this);
    palette_->setObjectName(QStringLiteral("palette"));
    palette_->setToolTip(QStringLiteral("Palette"));
    palette_->setAccessibleName(QStringLiteral("Palette"));
    palette_->setGeometry(du.Rect(187, 105, 20, 14));
    palette_->setAutoDefault(false);
    connect(palette_, &QPushButton::clicked, this, &ImagePropertiesDialog::ChooseColor);

    pendingNote_ = new QLabel(this);
    pendingNote_->setObjectName(QStringLiteral("external edit"));
    pendingNote_->setGeometry(du.Rect(7, 127, 180, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(du.Rect(190, 124, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &ImagePropertiesDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setGeometry(du.Rect(244, 124, 50, 14));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &ImagePropertiesDialog::reject);
}

void ImagePropertiesDialog::PostRefresh() {
    QMetaObject::invokeMethod(this, &ImagePropertiesDialog::Refresh, Qt::QueuedConnection);
}

void ImagePropertiesDialog::Refresh() {
    model_.Refresh();
    const bool any = model_.HasSlots();
    transparent_->setEnabled(any);
    picker_->setEnabled(any);
    palette_->setEnabled(any);
    transparent_->setChecked(model_.Transparent());
    for (std::size_t i = 0; i < CRimArchive::kSlots; ++i) {
        const SlotView& view = model_.Slot(static_cast<unsigned>(i));
        depthLabels_[i]->setText(Latin1(view.depthLabel));
        sizeLabels_[i]->setText(Latin1(view.sizeLabel));
        compression_[i]->setChecked(view.compressed);
        compression_[i]->setEnabled(view.filled);
        const QImage picture = view.picture.Empty() ? QImage() : ImgToQImage(view.picture.Get());
        if (picture.isNull()) {
            previews_[i]->ClearPicture();
        } else {
            previews_[i]->SetPicture(picture);
        }
    }
    ShowColor();
}

void ImagePropertiesDialog::ShowColor() {
    colorLabel_->setText(Latin1(ColorLabel(model_.DisplayedColor())));
    static_cast<ColorSwatch*>(swatch_)->SetColor(ColorOf(model_.DisplayedColor()));
}

void ImagePropertiesDialog::ReadBoxes() {
    model_.SetTransparent(transparent_->isChecked());
}

void ImagePropertiesDialog::OnCompressionClicked(int slot) {
    WaitCursor wait;
    ReadBoxes();
    const auto index = static_cast<std::size_t>(slot);
    model_.SetCompression(static_cast<unsigned>(slot), compression_[index]->isChecked());
    const SlotView& view = model_.Slot(static_cast<unsigned>(slot));
    compression_[index]->setChecked(view.compressed);
    sizeLabels_[index]->setText(Latin1(view.sizeLabel));
}

void ImagePropertiesDialog::ChooseColor() {
    ReadBoxes();
    if (const std::optional<QColor> chosen =
            choosers_.color(this, ColorOf(model_.CommittedColor()))) {
        model_.CommitColor(ColorWord(*chosen));
        ShowColor();
    }
}

void ImagePropertiesDialog::StartPicking() {
    ReadBoxes();
    suite::PreviewControl* first = previews_[0];
    pickedFrom_ = first->grab().toImage();
    picking_ = true;
    setMouseTracking(true);
    grabMouse(PickerCursor());
    // The pointer stays on the first preview while picking; it starts in its middle.
    QCursor::setPos(first->mapToGlobal(first->rect().center()));
}

void ImagePropertiesDialog::EndPicking() {
    picking_ = false;
    setMouseTracking(false);
    releaseMouse();
    pickedFrom_ = QImage();
    ShowColor();
}

std::optional<std::uint32_t> ImagePropertiesDialog::ColorAt(const QPoint& dialogPoint) const {
    const suite::PreviewControl* first = previews_[0];
    const QPoint local = first->mapFrom(this, dialogPoint);
    if (!first->rect().contains(local) || pickedFrom_.isNull()) {
        return std::nullopt;
    }
    const qreal ratio = pickedFrom_.devicePixelRatio();
    const QPoint pixel(static_cast<int>(local.x() * ratio), static_cast<int>(local.y() * ratio));
    if (!pickedFrom_.rect().contains(pixel)) {
        return std::nullopt;
    }
    return ColorWord(pickedFrom_.pixelColor(pixel));
}

void ImagePropertiesDialog::ConfinePointer(const QPoint& dialogPoint) {
    const suite::PreviewControl* first = previews_[0];
    const QRect area(first->mapTo(this, QPoint(0, 0)), first->size());
    if (area.contains(dialogPoint)) {
        return;
    }
    const QPoint inside(std::clamp(dialogPoint.x(), area.left(), area.right()),
                        std::clamp(dialogPoint.y(), area.top(), area.bottom()));
    QCursor::setPos(mapToGlobal(inside));
}

void ImagePropertiesDialog::mouseMoveEvent(QMouseEvent* event) {
    if (!picking_) {
        QDialog::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    ConfinePointer(at);
    if (const std::optional<std::uint32_t> color = ColorAt(at)) {
        model_.ShowColor(*color);
        ShowColor();
    }
}

void ImagePropertiesDialog::mousePressEvent(QMouseEvent* event) {
    if (!picking_ || event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    if (const std::optional<std::uint32_t> color = ColorAt(event->position().toPoint())) {
        model_.CommitColor(*color);
    } else {
        model_.CommitColor(model_.DisplayedColor());
    }
    EndPicking();
}

void ImagePropertiesDialog::accept() {
    if (picking_) {
        model_.CommitColor(model_.DisplayedColor());
        EndPicking();
        return;
    }
    ReadBoxes();
    bool writeBack = false;
    {
        WaitCursor wait;
        writeBack = model_.Accept();
    }
    done(writeBack ? QDialog::Accepted : QDialog::Rejected);
}

void ImagePropertiesDialog::reject() {
    if (picking_) {
        model_.RestoreColor();
        EndPicking();
        return;
    }
    QDialog::reject();
}

bool ImagePropertiesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && !picking_) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        for (std::size_t i = 0; i < previews_.size(); ++i) {
            if (watched == previews_[i] && mouse->button() == Qt::RightButton) {
                ShowSlotMenu(static_cast<int>(i), mouse->globalPosition().toPoint());
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ImagePropertiesDialog::ShowSlotMenu(int slot, const QPoint& globalPosition) {
    currentSlot_ = slot;
    const bool shown = previews_[static_cast<std::size_t>(slot)]->HasPicture();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("Rim"));
    auto add = [&menu](const char* text, bool enabled) {
        menu.addAction(QString::fromLatin1(text))->setEnabled(enabled);
    };
    add(kCopy, shown);
    add(kPaste, ClipboardHoldsPicture());
    add(kDelete, shown);
    menu.addSeparator();
    add(kFlip, shown);
    add(kMirror, shown);
    add(kCountColors, shown);
    menu.addSeparator();
    add(kImport, true);
    add(kExport, shown);
    add(kExternalEdit, shown);
    if (const QAction* chosen = menu.exec(globalPosition)) {
        RunSlotCommand(chosen->text());
    }
}

void ImagePropertiesDialog::RunSlotCommand(const QString& command) {
    const auto slot = static_cast<unsigned>(currentSlot_);
    if (command == QLatin1String(kCopy)) {
        CopySlot();
    } else if (command == QLatin1String(kPaste)) {
        PasteSlot();
    } else if (command == QLatin1String(kDelete)) {
        After(model_.DeleteSlot(slot));
    } else if (command == QLatin1String(kFlip)) {
        After(model_.FlipSlot(slot));
    } else if (command == QLatin1String(kMirror)) {
        After(model_.MirrorSlot(slot));
    } else if (command == QLatin1String(kCountColors)) {
        After(model_.CountSlotColors(slot));
    } else if (command == QLatin1String(kImport)) {
        ImportSlot();
    } else if (command == QLatin1String(kExport)) {
        ExportSlot();
    } else if (command == QLatin1String(kExternalEdit)) {
        EditExternally();
    }
}

void ImagePropertiesDialog::After(SlotOutcome outcome) {
    if (outcome == SlotOutcome::Beep) {
        QApplication::beep();
    } else if (outcome == SlotOutcome::Changed) {
        PostRefresh();
    }
}

void ImagePropertiesDialog::CopySlot() {
    const std::vector<std::uint8_t> dib = model_.CopySlot(static_cast<unsigned>(currentSlot_));
    if (dib.empty()) {
        return;
    }
    suite::ImageRecord record;
    if (!ImgFromPackedDib(dib, record.Get())) {
        return;
    }
    auto* data = new QMimeData;
    data->setImageData(ImgToQImage(record.Get()));
    // The packed bitmap itself, under the name Qt gives the Windows bitmap format.
    data->setData(
        QStringLiteral("application/x-qt-windows-mime;value=\"DeviceIndependentBitmap\""),
        QByteArray(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size())));
    QApplication::clipboard()->setMimeData(data);
}

void ImagePropertiesDialog::PasteSlot() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasImage()) {
        QApplication::beep();
        return;
    }
    const QImage picture = qvariant_cast<QImage>(data->imageData());
    suite::ImageRecord record;
    // The picture's own depth when it has 4 or 8 bits, else 24, which the slot then reduces
    // by its colour count.
    ImgFromQImage(picture, 0, record.Get());
    After(model_.ReplaceSlot(static_cast<unsigned>(currentSlot_),
                             record.Empty() ? nullptr : record.Get(), kPasteFailed));
}

void ImagePropertiesDialog::ImportSlot() {
    const int index = SlotDialogIndex(ReadInt(settings_, kImportType));
    const std::optional<ChosenSlotFile> chosen =
        choosers_.importFile(this, QString::fromLocal8Bit(ReadText(settings_, kImportPath)), index);
    if (!chosen) {
        return;
    }
    RememberSlotImport(settings_, chosen->filterIndex);
    WaitCursor wait;
    After(model_.ImportSlot(static_cast<unsigned>(currentSlot_),
                            static_cast<SlotFileType>(chosen->filterIndex),
                            chosen->path.toLocal8Bit().toStdString(), ImageBufferBytes(settings_)));
}

void ImagePropertiesDialog::ExportSlot() {
    const suite::ImageRecord picture = model_.SlotPicture(static_cast<unsigned>(currentSlot_));
    if (picture.Empty()) {
        QApplication::beep();
        return;
    }
    const int index = SlotDialogIndex(ReadInt(settings_, kExportType));
    const std::optional<ChosenSlotFile> chosen =
        choosers_.exportFile(this, QString::fromLocal8Bit(ReadText(settings_, kExportPath)), index);
    if (!chosen || chosen->filterIndex < 1 || chosen->filterIndex > 4) {
        return;
    }
    const auto type = static_cast<SlotFileType>(chosen->filterIndex);
    const std::string path = WithSlotExtension(chosen->path.toLocal8Bit().toStdString(), type);
    RememberSlotExport(settings_, chosen->filterIndex, path);
    WaitCursor wait;
    model_.WritePicture(picture.Get(), type, path, ImageBufferBytes(settings_));
}

void ImagePropertiesDialog::EditExternally() {
    const suite::ImageRecord picture = model_.SlotPicture(static_cast<unsigned>(currentSlot_));
    if (picture.Empty()) {
        QApplication::beep();
        return;
    }
    const QString program = QString::fromLocal8Bit(ReadText(settings_, kExternalEditor));
    if (!external_->Start(currentSlot_, ImgToQImage(picture.Get()), program)) {
        qm::ShowMessageBox(kExternalEditFailed, kProductName, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Information, program.toLocal8Bit().toStdString());
    }
    ShowPendingEdits();
}

void ImagePropertiesDialog::OnExternalSave(int slot, const QImage& picture) {
    suite::ImageRecord record;
    // Read back as a true-colour picture, as a picture file is imported: the slot's depth
    // then follows the colours the editor left.
    ImgFromQImage(picture, 24, record.Get());
    After(model_.ReplaceSlot(static_cast<unsigned>(slot), record.Empty() ? nullptr : record.Get(),
                             kSlotImportFailed));
}

void ImagePropertiesDialog::ShowPendingEdits() {
    QStringList pending;
    for (int i = 0; i < ExternalSlotEditor::kSlots; ++i) {
        if (external_->Pending(i)) {
            pending << QStringLiteral("Image %1").arg(i + 1);
        }
    }
    pendingNote_->setText(pending.isEmpty()
                              ? QString()
                              : QStringLiteral("External edit pending: ") + pending.join(", "));
}

}  // namespace texbench
