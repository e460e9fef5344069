// The main dialog of TexBench: the folder tree, the item list, the preview and the info line.
// All browsing logic lives in the headless BrowserModel; this class only mirrors it on screen.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <memory>

#include "inidoc/ini_document.h"
#include "packlib/packlib.h"

namespace texbench {

class MainDialog : public QDialog {
    Q_OBJECT
  public:
    // commandLine: the text after the program name, as the start-up received it (the dialog
    // itself removes "-nosplash"/"/nosplash" and opens a database or a Fastfile named there,
    // else the default database).
    MainDialog(const PACKLIBEXPORT& packLib, CIniDocument& settings, const QString& commandLine,
               QWidget* parent = nullptr);
    ~MainDialog() override;  // writes "Pos X"/"Pos Y", closes archive and database
    // A second start or another program hands over a file to open: true when handled.
    bool OpenFromOtherProgram(const QByteArray& text);
    // The settings changed (after a patch installation): reopen and keep the selection.
    void Reload();

  private:
    const PACKLIBEXPORT& packLib_;
    CIniDocument& settings_;
};

}  // namespace texbench
