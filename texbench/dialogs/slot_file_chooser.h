// The file dialogs of the image properties' Import Image... and Export Image...: STRING 6's
// four picture types, starting in the remembered folder at the remembered type. Import goes
// through this one function so that the image import dialog (with its preview) can take its
// place.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace texbench {

struct ChosenSlotFile {
    QString path;
    int filterIndex = 1;  // 1-based, in STRING 6's list
};

std::optional<ChosenSlotFile> ChooseSlotImportFile(QWidget* parent, const QString& directory,
                                                   int filterIndex);
// Asks before overwriting an existing file.
std::optional<ChosenSlotFile> ChooseSlotExportFile(QWidget* parent, const QString& directory,
                                                   int filterIndex);

}  // namespace texbench
