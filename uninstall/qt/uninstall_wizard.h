#pragma once

#include <QDialog>

#include <array>
#include <memory>

#include "inidoc/ini_document.h"
#include "uninstall/removal_log.h"
#include "uninstall/uninstall_engine.h"
#include "uninstall/uninstall_start.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTextBrowser;

namespace qm::uninstall {

class UninstallServices;

// How the wizard ended: cancelled (or failed), finished, or finished asking for the restart.
enum class WizardResult { Cancelled, Finished, Restart };

// Uninstall's wizard: the welcome page, the options and list pages that leave entries
// installed, the removal with its five steps, and the finish page. The removal itself is the
// engine's; the wizard only shows it.
class UninstallWizard : public QDialog, private UninstallPage {
    Q_OBJECT

  public:
    UninstallWizard(CIniDocument& log, UninstallServices& services, QWidget* parent = nullptr);
    ~UninstallWizard() override;

    WizardResult Result() const { return result_; }
    WizardPage CurrentPage() const { return current_; }
    bool EverythingRemoved() const;

    // Named for tests and screenshots.
    QPushButton* BackButton() const { return back_; }
    QPushButton* NextButton() const { return next_; }
    QPushButton* CancelButton() const { return cancel_; }

  protected:
    void reject() override;

  private:
    void BuildPages();
    QWidget* MakeWelcomePage();
    QWidget* MakeOptionsPage();
    QWidget* MakeListPage(ListPage list);
    QWidget* MakeRemovalPage();
    QWidget* MakeFinishPage();

    void Show(WizardPage page);
    void GoNext();
    void GoBack();
    void DeleteSelectedRows(ListPage list, QListWidget* view);
    void StartRemoval();
    void ShowStep(int step);
    void RemovalEnded(UninstallOutcome outcome);
    bool AskAbort();

    // UninstallPage, called on the worker thread: handed over to the UI thread.
    void StepStarted(int step, const char* label) override;
    void Advanced(int position) override;
    void Finished(UninstallOutcome outcome) override;
    bool ConfirmAbort() override;

    CIniDocument& log_;
    UninstallServices& services_;
    std::unique_ptr<CUninstallEngine> engine_;
    WizardPage current_ = WizardPage::Welcome;
    std::vector<WizardPage> history_;
    WizardResult result_ = WizardResult::Cancelled;
    bool restartOffered_ = false;

    QLabel* title_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    std::array<QWidget*, 8> pages_{};
    QRadioButton* customized_ = nullptr;
    std::array<QLabel*, 5> stepLabels_{};
    std::array<QLabel*, 5> stepIcons_{};
    QProgressBar* progress_ = nullptr;
    QLabel* finishResult_ = nullptr;
    QLabel* finishNext_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace qm::uninstall
