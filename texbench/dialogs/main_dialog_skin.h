// The skin parts of the main dialog, beside the dialog itself: the skin menu on a right click
// on the dialog's own area (in every look), and in skin mode the background picture, the
// control colours, the button pictures, the owner-drawn info line, the pointer over the
// buttons, the preview's kept background and dragging the window by its client area.
#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <map>

#include "texbench/dialogs/main_dialog_look.h"
#include "texbench/skins/dialog_template.h"
#include "texbench/skins/skin_menu.h"

class CIniDocument;
class QDialog;
class QLabel;
class QMenu;
class QPushButton;

namespace texbench {

class MainDialogSkin : public QObject {
    Q_OBJECT
  public:
    // Sets the skin up on the dialog whose controls the template laid out.
    MainDialogSkin(QDialog& dialog, CIniDocument& settings, MainDialogLook look,
                   const DialogTemplate& layout);

    bool SkinMode() const;
    // Finds the skins beside the program and fills the menu: "Windows standard", the skins,
    // "Help..."; each entry's data is its command. The skins found are kept for the command.
    void FillSkinMenu(QMenu& menu);
    // A command of the menu last filled: a skin entry or "Windows standard" writes "Skin",
    // asks for the restart and closes the dialog; "Help..." opens the help file.
    void RunSkinCommand(int command);
    // The button's released and pressed pictures (null when it has none).
    QImage ButtonPicture(const QPushButton* button, bool pressed) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetUpSkin(const DialogTemplate& layout);
    void SetColours();
    void TakeButtonPictures(const DialogTemplate& layout);
    const QPixmap& StretchedBackground();
    bool PaintDialog();
    bool PaintButton(QPushButton* button);
    bool PaintInfoLine();
    bool DialogMouse(QEvent* event);
    void ShowSkinMenu(const QPoint& globalPosition);

    QDialog& dialog_;
    CIniDocument& settings_;
    MainDialogLook look_;
    QColor background_;
    QColor text_;
    QImage backgroundPicture_;  // bitmap 400
    QPixmap stretched_;         // bitmap 400 at the dialog's size
    struct Pictures {
        QImage released;
        QImage pressed;
    };
    std::map<const QPushButton*, Pictures> pictures_;
    QLabel* info_ = nullptr;
    SkinMenu menu_;
    bool dragging_ = false;
    QPoint dragPoint_;
};

}  // namespace texbench
