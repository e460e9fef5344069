#include "patchbench/qt/patch_info_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace patchbench {
namespace {

constexpr int kLongestText = 255;

QString FromPatch(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

std::string ToPatch(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

}  // namespace

PatchInfoDialog::PatchInfoDialog(const PatchHeaderTexts& texts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Fastfile Patch Information"));
    auto* layout = new QVBoxLayout(this);
    form_ = new QFormLayout;
    layout->addLayout(form_);
    title_ = AddLine("&Title:", texts.title);
    version_ = AddLine("&Version:", texts.version);
    author_ = AddLine("&Author:", texts.author);
    copyright_ = AddLine("&Copyright:", texts.copyright);
    description_ = new QPlainTextEdit(FromPatch(texts.description));
    description_->setObjectName("description");
    description_->setTabChangesFocus(true);
    // A multi-line field has no length limit of its own: hold it at what the patch keeps.
    connect(description_, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = description_->toPlainText();
        if (text.size() > kLongestText) {
            QTextCursor cursor = description_->textCursor();
            description_->setPlainText(text.left(kLongestText));
            cursor.movePosition(QTextCursor::End);
            description_->setTextCursor(cursor);
        }
    });
    form_->addRow(tr("&Description:"), description_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, sizeHint().height());
}

QLineEdit* PatchInfoDialog::AddLine(const char* label, const std::string& text) {
    auto* field = new QLineEdit(FromPatch(text));
    field->setMaxLength(kLongestText);
    form_->addRow(tr(label), field);
    return field;
}

PatchHeaderTexts PatchInfoDialog::Texts() const {
    return {ToPatch(title_->text()), ToPatch(version_->text()), ToPatch(author_->text()),
            ToPatch(copyright_->text()), ToPatch(description_->toPlainText())};
}

}  // namespace patchbench
