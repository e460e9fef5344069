#include "texbench/app/game_program_dialog.h"

#include <QApplication>
#include <QDir>

#include "suite/game_location.h"
#include "texbench/widgets/program_icon.h"

namespace texbench {

QStringList QtNameFilters(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;  // the "||" that ends the list
        }
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        if (pattern == QLatin1String("*.*")) {
            pattern = QStringLiteral("*");
        }
        filters << parts[i] + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return filters;
}

GameProgramDialog::GameProgramDialog(QWidget* parent) : QFileDialog(parent) {
    setWindowIcon(ProgramIcon());
    setWindowTitle(QStringLiteral("Open"));
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    // Our own dialog, so that the name check below sees every choice.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setNameFilters(QtNameFilters(QString::fromLatin1(suite::kGameProgramFilter)));
    setDirectory(QDir::homePath());
    selectFile(QStringLiteral("AvP.exe"));
    setSizeGripEnabled(true);
}

QString GameProgramDialog::ChosenFile() const {
    const QStringList files = selectedFiles();
    return result() == QDialog::Accepted && !files.isEmpty() ? files.first() : QString();
}

void GameProgramDialog::accept() {
    const QStringList files = selectedFiles();
    const QString file = files.isEmpty() ? QString() : files.first();
    if (!suite::IsGameProgramName(file.toStdString()) || !QFileInfo(file).isFile()) {
        QApplication::beep();
        emit refused(file);
        return;
    }
    QFileDialog::accept();
}

}  // namespace texbench
