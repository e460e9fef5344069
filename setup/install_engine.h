#pragma once

#include <string>
#include <vector>

#include "inidoc/ini_document.h"
#include "setup/install_changes.h"
#include "suite/cancellable_run.h"

namespace qm::setup {

class CSetupConfig;
class SetupServices;

enum class KeepFileReason { OlderFile, OtherLanguage };
// The buttons of the question about a file that is already installed ("Do you want to keep
// this file?").
enum class KeepFileAnswer { Yes, YesToAll, No, NoToAll, Cancel };
enum class InstallOutcome { NotStarted, Running, Succeeded, Failed, Cancelled };

// The "Installing..." page as the engine sees it. All but ConfirmAbort() are called on the
// worker thread; the page hands them to its own thread as it needs.
class InstallPage {
  public:
    virtual ~InstallPage();
    virtual void StepStarted(int step, const char* label);
    virtual void Advanced(int position);
    // The five-button question about keeping an installed file (its name without folder).
    virtual KeepFileAnswer AskKeepFile(const std::string& fileName, KeepFileReason reason) = 0;
    // The run has ended and what it changed is kept (success) or taken back: the page moves
    // on (Next or Finish) or cancels.
    virtual void Finished(InstallOutcome outcome);
    // Called by RequestCancel() on the page's own thread while the worker waits: "Setup has
    // not finished yet..." answered Yes. The page offers Cancel only while none of the
    // worker's own questions is open, so that two questions never wait on each other.
    virtual bool ConfirmAbort() = 0;
};

// What the wizard pages decided before the installation.
struct InstallChoices {
    bool uninstall = true;        // " Save uninstall information " (needs LogApp and LogFile)
    bool desktopShortcut = true;  // " Create shortcut on desktop. "
    bool createdDestination = false;
    bool createdGroup = false;
    bool createdLogDirectory = false;
    // The folders the pages made for each of them, with the parents that were missing,
    // parents first: the log lists them all and a run taken back removes them all.
    std::vector<std::string> madeDestination;
    std::vector<std::string> madeGroup;
    std::vector<std::string> madeLogDirectory;
};

// Installs what Setup.ini lists in five steps on a worker thread and writes the uninstall
// log. A run that fails or is cancelled takes back every change it made.
class CInstallEngine {
  public:
    CInstallEngine(CSetupConfig& config, SetupServices& services, InstallPage& page);
    ~CInstallEngine();
    CInstallEngine(const CInstallEngine&) = delete;
    CInstallEngine& operator=(const CInstallEngine&) = delete;

    // The log in memory, made before the wizard runs.
    CIniDocument& Log() { return log_; }
    InstallChoices& Choices() { return choices_; }

    // Merges the selected components, sets the user variables and starts the worker. False,
    // with the message shown and the page told, when the thread cannot be made.
    bool Start();
    // The progress bar's range, known once Start() has merged the components.
    int ProgressRange() const { return progressRange_; }
    // Waits until the worker has ended.
    void Wait();
    // The page's Cancel: holds the worker at its next check while the page asks, stops it on
    // Yes. True when the installation is being aborted.
    bool RequestCancel();

    InstallOutcome Outcome() const;
    bool UninstallEnabled() const { return uninstall_; }
    const std::string& UninstallerPath() const { return uninstallerPath_; }
    const std::string& LogPath() const { return logPath_; }

    static const char* StepLabel(int step);

    // Undoes what earlier runs left half done when their Setup was killed; Setup calls this
    // once Setup.ini is loaded, before the wizard. Returns how many runs were undone.
    static int RecoverInterruptedRuns(const CSetupConfig& config, SetupServices& services);

  private:
    enum class Remembered { Unset, KeepAll, ReplaceAll };

    void Run();
    bool RunSteps();
    bool RunStep(int step);
    bool PrepareStep();
    bool FoldersStep();
    bool FilesStep();
    bool ShortcutsStep();
    bool RegistryStep();

    bool Proceed();
    void Advance();
    void Stop();
    bool IsRunning();
    bool Fail(const char* message);
    int CountOf(const char* section) const;
    int ComputeProgressRange() const;

    bool CopyFileByRule(const std::string& source, const std::string& destination);
    bool ReplaceFile(const std::string& source, const std::string& destination);
    bool AskAboutInstalledFile(KeepFileReason reason, const std::string& source,
                               const std::string& destination);
    bool AskToContinue(const std::string& text);
    bool CopyList(const char* section, const char* logSection, bool shared);
    void RaiseReferenceCount(const std::string& path);

    bool CreateShortcut(const std::string& link, const std::string& target,
                        const std::vector<std::string>& arguments);
    void LogShortcut(const std::string& link);
    void WriteProgramGroupMenu();
    void CreateRegistryKeys(const char* section, bool create, bool log);
    void WriteRegistryValues();
    void RegisterServers();
    void RegisterPrograms();
    void LogKey(const std::string& keyText);
    // Logs the parents made for a folder (all of `made` but the folder itself, the last).
    void LogMadeParents(const std::vector<std::string>& made);
    void UndoWizardFolders();
    bool SaveLog();

    CSetupConfig& config_;
    SetupServices& services_;
    InstallPage& page_;
    CIniDocument log_;
    InstallChoices choices_;
    CInstallChanges changes_;

    bool uninstall_ = false;
    std::string uninstallerPath_;
    std::string logPath_;
    std::vector<std::string> groupEntries_;  // file names of the entries made in the group
    Remembered olderChoice_ = Remembered::Unset;
    Remembered otherLanguageChoice_ = Remembered::Unset;
    int progressRange_ = 0;
    int position_ = 0;

    // Last, so that the worker has ended before the members it uses go.
    suite::CancellableRun<InstallOutcome> run_;
};

}  // namespace qm::setup
