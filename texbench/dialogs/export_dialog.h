// The export file dialog: a save dialog with the choice "Export:" " Selected File(s) " /
// " All Files " below it, whose file name follows the chosen type and choice.
#pragma once

#include <QFileDialog>
#include <string>

#include "suite/item_kind.h"
#include "texbench/browser/item_export.h"

class QLineEdit;
class QRadioButton;

namespace texbench {

class ExportFileDialog : public QFileDialog {
    Q_OBJECT
  public:
    // initialName: the selected and focused row's name when fewer than two rows are selected
    // (empty without one); severalFiles: two or more rows are selected.
    ExportFileDialog(QWidget* parent, suite::ItemKind archiveKind, const QString& directory,
                     int filterIndex, const QString& initialName, bool severalFiles);

    // After OK: the chosen path, filter index (from 1) and choice.
    ExportChoice Choice() const;
    int FilterIndex() const;
    bool AllFilesChosen() const;

  private:
    void UpdateForChoice();
    void UpdateForType();

    suite::ItemKind archiveKind_;
    QString initialName_;
    bool severalFiles_;
    QStringList filters_;
    QLineEdit* fileName_ = nullptr;
    QRadioButton* selected_ = nullptr;
    QRadioButton* all_ = nullptr;
};

// "a (*.a)|*.a|b (*.b)|*.b||||" as the dialog's name filters.
QStringList NameFiltersOf(const char* filter);

}  // namespace texbench
