#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "inidoc/ini_document.h"
#include "suite/cancellable_run.h"

namespace qm::uninstall {

class UninstallServices;

enum class UninstallOutcome { NotStarted, Running, Succeeded, Failed, Cancelled };

// The "Uninstalling..." page as the engine sees it. StepStarted, Advanced and Finished are
// called on the worker thread; ConfirmAbort on the page's own thread from RequestCancel().
class UninstallPage {
  public:
    virtual ~UninstallPage();
    virtual void StepStarted(int step, const char* label);
    virtual void Advanced(int position);
    // The removal has ended; the page moves on to the finish page or cancels.
    virtual void Finished(UninstallOutcome outcome);
    // "Are you sure you want to abort the uninstallation ?" answered Yes.
    virtual bool ConfirmAbort() = 0;
};

// Removes what the log lists in five steps on a worker thread, every list from its last
// entry down: unregisters servers and programs, deletes files (lowering shared-file counts),
// shortcuts and the log itself, removes empty folders, and deletes registry values and keys.
// Files that cannot be deleted are scheduled for later deletion.
class CUninstallEngine {
  public:
    // The log must stay alive while the engine runs; its path is the log file deleted in
    // step 3.
    CUninstallEngine(const CIniDocument& log, UninstallServices& services, UninstallPage& page);
    ~CUninstallEngine();
    CUninstallEngine(const CUninstallEngine&) = delete;
    CUninstallEngine& operator=(const CUninstallEngine&) = delete;

    // Starts the worker. False, with STRING 19 shown and the page told, when it cannot be.
    bool Start();
    int ProgressRange() const { return progressRange_; }
    void Wait();
    // The page's Cancel: holds the worker at its next check while the page asks; stops it
    // on Yes. True when the removal is being aborted.
    bool RequestCancel();

    UninstallOutcome Outcome() const;
    bool EverythingRemoved() const;
    bool RestartNeeded() const;

    static const char* StepLabel(int step);
    // Tests make the thread fail to start.
    static std::function<bool()> threadFailureForTesting;

  private:
    void Run();
    bool RunSteps();
    bool PrepareStep();
    void DeleteFilesStep();
    void DeleteShortcutsStep();
    void RemoveFoldersStep();
    void RegistryStep();

    bool Proceed();
    void Advance();
    // Each list's entries from the last to the first: false when the removal was stopped.
    bool ForEachEntry(const char* section, const std::function<void(const std::string&)>& act);
    bool ForEachEntryUntil(const char* section, const std::function<bool(const std::string&)>& act,
                           bool* failed);
    void RemoveOrSchedule(const std::string& path);
    void RemoveSharedFile(const std::string& path);

    const CIniDocument& log_;
    UninstallServices& services_;
    UninstallPage& page_;
    int progressRange_ = 0;
    int position_ = 0;

    mutable std::mutex resultMutex_;  // the two results below, set on the worker thread
    bool everythingRemoved_ = true;
    bool restartNeeded_ = false;
    // Last, so that the worker has ended before the members it uses go.
    suite::CancellableRun<UninstallOutcome> run_;
};

}  // namespace qm::uninstall
