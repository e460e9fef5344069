// The installed patches: every recorded installation, newest first, with its title and date,
// and Uninstall for the chosen one.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "patchapply/command_line.h"

class QPushButton;
class QTreeWidget;

namespace patchapply {

class InstalledPatchesDialog : public QDialog {
  public:
    // Takes the installation recorded in the folder back out; true when it is gone. It asks
    // its own questions (items changed since: go on or not).
    using UninstallAction = std::function<bool(const std::string& recordFolder)>;

    explicit InstalledPatchesDialog(UninstallAction uninstall, QWidget* parent = nullptr);

    QTreeWidget* List() const { return list_; }
    QPushButton* UninstallButton() const { return uninstall_; }
    QPushButton* CloseButton() const { return close_; }

    // Reads the records afresh and keeps the chosen row where it can.
    void Reload();

  private:
    void UninstallChosen();
    void UpdateButtons();

    UninstallAction action_;
    QTreeWidget* list_;
    QPushButton* uninstall_;
    QPushButton* close_;
};

// "patchapply -uninstall" without a record and with a display: the dialog over the
// installation records, uninstalling through the bound libraries.
int RunInstalledPatchesWithQt(int argc, char** argv, const CommandLine& command);

}  // namespace patchapply
