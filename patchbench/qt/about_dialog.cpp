#include "patchbench/qt/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/registration.h"
#include "patchbench/qt/artwork.h"

namespace patchbench {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About %1").arg(QString::fromLatin1(kProgramTitle)));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(EditorProgramIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
    auto* text = new QLabel(
        tr("<b>%1</b><br>Version %2<br><br>Collects replacement textures and sounds for the "
           "game's Fastfiles into a patch that others install with the Fastfile Patch "
           "Installer.<br><br>Part of Quillmark Fastfile Tools.")
            .arg(QString::fromLatin1(kProgramTitle), QString::fromLatin1(kProgramVersion)));
    text->setObjectName("aboutText");
    text->setWordWrap(true);
    text->setMinimumWidth(300);
    row->addWidget(text, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace patchbench
