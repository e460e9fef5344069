#include "texbench/dialogs/slot_file_chooser.h"

#include <QFileDialog>

#include "texbench/dialogs/export_dialog.h"
#include "texbench/dialogs/image_import_dialog.h"
#include "texbench/properties/properties_texts.h"

namespace texbench {
namespace {

std::optional<ChosenSlotFile> Choose(QWidget* parent, const QString& directory, int filterIndex,
                                     bool save) {
    QFileDialog dialog(parent, QString::fromLatin1(save ? kSlotExportTitle : kSlotImportTitle),
                       directory);
    const QStringList filters = NameFiltersOf(kSlotImageFilter);
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size()) {
        dialog.selectNameFilter(filters[filterIndex - 1]);
    }
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ChosenSlotFile{dialog.selectedFiles().front(),
                          static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

}  // namespace

std::optional<ChosenSlotFile> ChooseSlotImportFile(QWidget* parent, const QString& directory,
                                                   int filterIndex) {
    return Choose(parent, directory, filterIndex, false);
}

std::optional<ChosenSlotFile> ChooseSlotImportPicture(CIniDocument& settings, QWidget* parent,
                                                      const QString& directory, int filterIndex) {
    ImageImportDialog dialog(settings, parent, QString::fromLatin1(kSlotImportTitle), directory,
                             kSlotImageFilter, filterIndex, 1);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ChosenSlotFile{dialog.selectedFiles().front(), dialog.FilterIndex()};
}

std::optional<ChosenSlotFile> ChooseSlotExportFile(QWidget* parent, const QString& directory,
                                                   int filterIndex) {
    return Choose(parent, directory, filterIndex, true);
}

}  // namespace texbench
