#pragma once

#include <QTimer>
#include <QWizard>
#include <memory>

#include "setup/flow/page_table.h"
#include "setup/flow/setup_program.h"
#include "setup/install_engine.h"

namespace qm::setup {

class CSetupSession;
class InstallProgressPage;
class FinishPage;
class SetupPage;

// Setup's wizard: the pages of the session's page table in their order, the frame icon
// (101), centred on the screen when it first shows. Cancel before the installation asks
// "Setup has not finished yet..."; during it, the engine holds while the page asks.
class SetupWizard : public QWizard {
    Q_OBJECT
  public:
    explicit SetupWizard(CSetupSession& session, QWidget* parent = nullptr);

    WizardResult Result() const { return result_; }
    // The page of a kind, or null when the table left it out.
    SetupPage* Page(PageKind kind) const;
    InstallProgressPage* Installing() const { return installing_; }

    void reject() override;
    void accept() override;

    // Presses Next or Finish on every page with its defaults (the licence agreed to), as
    // soon as the button is offered: for unattended runs with a display and for trying
    // the wizard. Questions still need their answers.
    void PressThrough(int delayMilliseconds);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void PageChanged(int id);
    void InstallationEnded(InstallOutcome outcome);
    void PressOnce();

    CSetupSession& session_;
    std::vector<SetupPage*> pages_;
    InstallProgressPage* installing_ = nullptr;
    FinishPage* finish_ = nullptr;
    WizardResult result_;
    bool centred_ = false;
    int pressDelay_ = -1;
    QTimer* presser_ = nullptr;
};

// The wizard with the background window of [MainFrame] behind it and the Qt message boxes.
class QtWizardFront : public WizardFront {
  public:
    // A press-through delay of -1 leaves every page to the user.
    explicit QtWizardFront(int pressThroughDelay = -1) : pressDelay_(pressThroughDelay) {}
    WizardResult Run(CSetupSession& session) override;

  private:
    int pressDelay_;
};

}  // namespace qm::setup
