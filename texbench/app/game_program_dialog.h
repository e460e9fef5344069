// The open-file dialog of the game location step: asks for "AvP.exe" and for nothing else.
#pragma once

#include <QFileDialog>
#include <QStringList>

namespace texbench {

// A filter text of the Windows file dialogs ("Name|pattern|Name|pattern||") as Qt name filters
// ("Name (pattern)"). "*.*" matches every name on Windows, so it becomes "*".
QStringList QtNameFilters(const QString& windowsFilter);

class GameProgramDialog : public QFileDialog {
    Q_OBJECT

  public:
    explicit GameProgramDialog(QWidget* parent = nullptr);

    // The chosen file, or an empty text when the user cancelled.
    QString ChosenFile() const;

    // Only a file named "AvP.exe" (any letter case) closes the dialog; any other choice beeps
    // and leaves it open.
    void accept() override;

  signals:
    void refused(const QString& file);
};

}  // namespace texbench
