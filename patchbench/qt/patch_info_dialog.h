// Dialog 131, "Fastfile Patch Information": the five header texts of the patch.
#pragma once

#include <QDialog>

#include "patchbench/engine/patch_editor.h"

class QFormLayout;
class QLineEdit;
class QPlainTextEdit;

namespace patchbench {

class PatchInfoDialog : public QDialog {
    Q_OBJECT

  public:
    explicit PatchInfoDialog(const PatchHeaderTexts& texts, QWidget* parent = nullptr);
    PatchHeaderTexts Texts() const;

    QLineEdit* TitleField() const { return title_; }
    QPlainTextEdit* DescriptionField() const { return description_; }

  private:
    QLineEdit* AddLine(const char* label, const std::string& text);
    QLineEdit* title_ = nullptr;
    QLineEdit* version_ = nullptr;
    QLineEdit* author_ = nullptr;
    QLineEdit* copyright_ = nullptr;
    QPlainTextEdit* description_ = nullptr;
    QFormLayout* form_ = nullptr;
};

}  // namespace patchbench
