// The file dialogs of the image properties' Import Image... and Export Image...: STRING 6's
// four picture types, starting in the remembered folder at the remembered type. The dialog
// imports through the image import dialog; the plain chooser serves where no settings are at
// hand.
#pragma once

#include <QString>
#include <optional>

class CIniDocument;
class QWidget;

namespace texbench {

struct ChosenSlotFile {
    QString path;
    int filterIndex = 1;  // 1-based, in STRING 6's list
};

std::optional<ChosenSlotFile> ChooseSlotImportFile(QWidget* parent, const QString& directory,
                                                   int filterIndex);
// The same choice through the image import dialog, with its size line and preview: the slot
// list lacks the RIM entry, so its readers are the item list's one entry further on.
std::optional<ChosenSlotFile> ChooseSlotImportPicture(CIniDocument& settings, QWidget* parent,
                                                      const QString& directory, int filterIndex);
// Asks before overwriting an existing file.
std::optional<ChosenSlotFile> ChooseSlotExportFile(QWidget* parent, const QString& directory,
                                                   int filterIndex);

}  // namespace texbench
