#include "texbench/dialogs/main_dialog_skin.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QWidget>

#include "inidoc/ini_document.h"
#include "suite/qt/preview_control.h"
#include "texbench/browser/main_commands.h"
#include "texbench/dialogs/skin_pictures.h"
#include "texbench/skins/skin_loader.h"
#include "texbench/startup/settings.h"
#include "texbench/widgets/program_bitmaps.h"

namespace texbench {
namespace {

constexpr unsigned kInitDialogMessage = 0x0110;  // WM_INITDIALOG

// Each picture button and its picture (the pressed one is 100 above).
struct ButtonPictureId {
    CommandId button;
    int picture;
};
constexpr ButtonPictureId kButtonPictures[] = {
    {CommandId::Import, 500}, {CommandId::Export, 501}, {CommandId::Open, 502},
    {CommandId::Patch, 503},  {CommandId::About, 504},  {CommandId::Close, 505},
};

QPushButton* ButtonOf(QDialog& dialog, CommandId id) {
    const Command* command = FindCommand(id);
    return command == nullptr ? nullptr
                              : dialog.findChild<QPushButton*>(QString::fromLatin1(command->name));
}

void PaintInSkinColours(QWidget* widget, const QColor& text, const QColor& background) {
    QPalette palette = widget->palette();
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(role, text);
    }
    for (const QPalette::ColorRole role :
         {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button}) {
        palette.setColor(role, background);
    }
    widget->setPalette(palette);
}

}  // namespace

MainDialogSkin::MainDialogSkin(QDialog& dialog, CIniDocument& settings, MainDialogLook look,
                               const DialogTemplate& layout)
    : QObject(&dialog), dialog_(dialog), settings_(settings), look_(std::move(look)) {
    setObjectName(QStringLiteral("skin"));
    dialog_.installEventFilter(this);
    if (SkinMode()) {
        SetUpSkin(layout);
    }
}

bool MainDialogSkin::SkinMode() const {
    return look_.skin != nullptr && look_.skin->skinMode;
}

void MainDialogSkin::SetUpSkin(const DialogTemplate& layout) {
    const SkinState& skin = *look_.skin;
    background_ = FromColorRef(skin.background);
    text_ = FromColorRef(skin.text);
    backgroundPicture_ = SkinBitmap(skin.Resources(), kMainBackground);
    info_ = dialog_.findChild<QLabel*>(QStringLiteral("info"));
    if (info_ != nullptr) {
        info_->installEventFilter(this);  // the info line is owner-drawn in skin mode
    }
    if (const QmInitSkinFunction initSkin = skin.Resources().InitSkin()) {
        // A dialog procedure's arguments; the window is the dialog itself on this platform.
        initSkin(static_cast<QWidget*>(&dialog_), kInitDialogMessage, 0, 0);
    }
    SetColours();
    TakeButtonPictures(layout);
    if (auto* preview = dialog_.findChild<suite::PreviewControl*>(QStringLiteral("preview"))) {
        preview->SetBackgroundSource(
            [this, preview] { return StretchedBackground().copy(preview->geometry()); });
    }
}

void MainDialogSkin::SetColours() {
    for (QWidget* child : dialog_.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<suite::PreviewControl*>(child) != nullptr) {
            continue;  // the preview shows the skin's picture behind it instead
        }
        PaintInSkinColours(child, text_, background_);
        if (qobject_cast<QLabel*>(child) != nullptr) {
            child->setAutoFillBackground(true);  // a solid brush of the skin's background
        }
    }
}

void MainDialogSkin::TakeButtonPictures(const DialogTemplate& layout) {
    const SkinResources& resources = look_.skin->Resources();
    const QCursor pointing = PointingCursor();
    for (const ButtonPictureId& entry : kButtonPictures) {
        QPushButton* button = ButtonOf(dialog_, entry.button);
        if (button == nullptr) {
            continue;
        }
        button->setCursor(pointing);
        const ControlTemplate* control = layout.Find(static_cast<int>(entry.button));
        if (control == nullptr || !control->ownerDraw) {
            continue;
        }
        Pictures pictures{SkinBitmap(resources, entry.picture),
                          SkinBitmap(resources, entry.picture + kPressedOffset)};
        if (!pictures.released.isNull() || !pictures.pressed.isNull()) {
            pictures_[button] = std::move(pictures);
            button->installEventFilter(this);
        }
    }
}

QImage MainDialogSkin::ButtonPicture(const QPushButton* button, bool pressed) const {
    const auto found = pictures_.find(button);
    if (found == pictures_.end()) {
        return QImage();
    }
    return pressed ? found->second.pressed : found->second.released;
}

const QPixmap& MainDialogSkin::StretchedBackground() {
    if (stretched_.size() != dialog_.size() && !backgroundPicture_.isNull()) {
        stretched_ = QPixmap::fromImage(backgroundPicture_.scaled(
            dialog_.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    return stretched_;
}

bool MainDialogSkin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &dialog_) {
        switch (event->type()) {
            case QEvent::Paint:
                return PaintDialog();
            case QEvent::ContextMenu: {
                const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
                // Only a click on the dialog itself, not on one of its controls.
                if (dialog_.childAt(menuEvent->pos()) == nullptr) {
                    ShowSkinMenu(menuEvent->globalPos());
                    return true;
                }
                return false;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseMove:
            case QEvent::MouseButtonRelease:
                return DialogMouse(event);
            default:
                return false;
        }
    }
    if (event->type() != QEvent::Paint) {
        return false;
    }
    if (watched == info_) {
        return PaintInfoLine();
    }
    if (auto* button = qobject_cast<QPushButton*>(watched)) {
        return PaintButton(button);
    }
    return false;
}

bool MainDialogSkin::PaintDialog() {
    if (!SkinMode() || StretchedBackground().isNull()) {
        return false;  // the default painting
    }
    QPainter painter(&dialog_);
    painter.drawPixmap(0, 0, StretchedBackground());
    return true;
}

bool MainDialogSkin::PaintButton(QPushButton* button) {
    const QImage picture = ButtonPicture(button, button->isDown());
    if (picture.isNull()) {
        return false;
    }
    QPainter painter(button);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(button->rect(), picture);
    return true;
}

// Black, with the text centred on one line. The text takes the skin's text colour: drawn in
// the painter's own black it could not be seen on the black line.
bool MainDialogSkin::PaintInfoLine() {
    QPainter painter(info_);
    painter.fillRect(info_->rect(), Qt::black);
    painter.setPen(text_);
    painter.setFont(info_->font());
    painter.drawText(info_->rect(), Qt::AlignCenter | Qt::TextSingleLine, info_->text());
    return true;
}

bool MainDialogSkin::DialogMouse(QEvent* event) {
    if (!SkinMode()) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() != Qt::LeftButton) {
                return false;
            }
            dialog_.grabMouse();
            dragging_ = true;
            dragPoint_ = global;
            return true;
        case QEvent::MouseMove:
            if (!dragging_) {
                return false;
            }
            dialog_.move(dialog_.pos() + (global - dragPoint_));
            dragPoint_ = global;
            return true;
        case QEvent::MouseButtonRelease:
            if (!dragging_ || mouse->button() != Qt::LeftButton) {
                return false;
            }
            dragging_ = false;
            dialog_.releaseMouse();
            return true;
        default:
            return false;
    }
}

void MainDialogSkin::FillSkinMenu(QMenu& menu) {
    menu.clear();
    menu.setObjectName(QStringLiteral("Skin"));
    menu_ =
        FindSkins(std::filesystem::current_path(), look_.skin != nullptr ? look_.skin->name : "");
    auto* group = new QActionGroup(&menu);
    group->setExclusive(true);
    const auto addEntry = [&](const QString& text, int command, bool marked) {
        QAction* action = menu.addAction(text);
        action->setData(command);
        action->setCheckable(true);
        action->setChecked(marked);
        group->addAction(action);
    };
    addEntry(QString::fromLatin1(kSystemLookText), kSystemLookCommand, menu_.marked < 0);
    menu.addSeparator();
    for (std::size_t i = 0; i < menu_.skins.size(); ++i) {
        addEntry(QString::fromLocal8Bit(menu_.skins[i].text),
                 kFirstSkinCommand + static_cast<int>(i), menu_.marked == static_cast<int>(i));
    }
    menu.addSeparator();
    menu.addAction(QString::fromLatin1(kSkinHelpText))->setData(kSkinHelpCommand);
}

void MainDialogSkin::ShowSkinMenu(const QPoint& globalPosition) {
    QMenu menu(&dialog_);
    FillSkinMenu(menu);
    if (const QAction* chosen = menu.exec(globalPosition)) {
        RunSkinCommand(chosen->data().toInt());
    }
}

void MainDialogSkin::RunSkinCommand(int command) {
    if (command == kSkinHelpCommand) {
        // Shown normally; a missing help file or viewer says nothing.
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromLocal8Bit(look_.helpFilePath)));
        return;
    }
    const std::string* file = menu_.FileOf(command);
    if (file == nullptr) {
        return;
    }
    settings_.SetString(kSkin.section, kSkin.key, file->c_str());
    if (look_.restartRequest != nullptr) {
        *look_.restartRequest = true;
    }
    dialog_.reject();  // as Escape closes it
}

}  // namespace texbench
