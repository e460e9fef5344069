#pragma once

#include <array>

#include "setup/install_engine.h"
#include "setup/qt/wizard_pages.h"

class QProgressBar;

namespace qm::setup {

// "Installing...": starts the engine when it becomes current, marks the step that runs in
// bold with mark 115 (and the one before with 105), moves the bar, and when the engine ends
// moves the wizard on (Next or Finish) or cancels it. The engine calls come from its worker
// and are handed to the page's thread.
class InstallProgressPage : public SetupPage, public InstallPage {
    Q_OBJECT
  public:
    explicit InstallProgressPage(CSetupSession& session);
    ~InstallProgressPage() override;

    void initializePage() override;
    bool isComplete() const override { return ended_; }

    QLabel* StepLabel(int step) const { return labels_[static_cast<std::size_t>(step - 1)]; }
    QLabel* StepMark(int step) const { return marks_[static_cast<std::size_t>(step - 1)]; }
    QProgressBar* Progress() const { return progress_; }
    InstallOutcome Outcome() const { return outcome_; }

    // InstallPage, from the worker.
    void StepStarted(int step, const char* label) override;
    void Advanced(int position) override;
    KeepFileAnswer AskKeepFile(const std::string& fileName, KeepFileReason reason) override;
    void Finished(InstallOutcome outcome) override;
    // On the page's own thread, from the engine's RequestCancel().
    bool ConfirmAbort() override;

  signals:
    // The engine has ended and the page has moved the wizard on or cancelled it.
    void InstallationEnded(qm::setup::InstallOutcome outcome);

  private:
    void MarkStep(int step);
    void End(InstallOutcome outcome);

    std::array<QLabel*, 5> labels_{};
    std::array<QLabel*, 5> marks_{};
    QProgressBar* progress_;
    QFont normalFont_;
    int current_ = 0;
    bool started_ = false;
    bool ended_ = false;
    InstallOutcome outcome_ = InstallOutcome::NotStarted;
};

}  // namespace qm::setup
