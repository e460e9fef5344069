// The installer's windows: the patch information dialog, the progress window, the Open
// dialog and message boxes with the program's title.
#pragma once

#include <QDialog>
#include <memory>

#include "patchapply/install_engine.h"
#include "platform/message_box.h"

class QLabel;
class QProgressBar;
class QTextBrowser;
class QPushButton;

namespace patchapply {

// "The following Fastfile Patch ... will be installed:", the patch's details, Install/Cancel.
class PatchInfoDialog : public QDialog {
  public:
    explicit PatchInfoDialog(const PatchTexts& texts, QWidget* parent = nullptr);
    QTextBrowser* Details() const { return details_; }
    QPushButton* InstallButton() const { return install_; }
    QPushButton* CancelButton() const { return cancel_; }

  private:
    QTextBrowser* details_;
    QPushButton* install_;
    QPushButton* cancel_;
};

// The modeless "Installing:" window; repainted explicitly, as nothing else runs meanwhile.
class ProgressWindow : public QDialog {
  public:
    ProgressWindow();
    void Begin(std::size_t count);
    void ShowItem(const QString& name);
    void Step();

  private:
    QLabel* item_;
    QProgressBar* bar_;
};

class QtFrontEnd : public InstallFrontEnd {
  public:
    bool ConfirmPatch(const PatchTexts& texts) override;
    std::optional<std::string> ChooseFile(const std::string& initialName) override;
    void BeginProgress(std::size_t count) override;
    void ShowItem(const std::string& itemName) override;
    void StepProgress() override;
    void EndProgress() override;
    void Broadcast() override;

  private:
    std::unique_ptr<ProgressWindow> progress_;
};

// Creates the application, installs the message boxes and runs the installation.
int RunWithQt(int argc, char** argv, const CommandLine& command, const InstallOptions& options);

}  // namespace patchapply
