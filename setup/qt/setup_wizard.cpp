#include "setup/qt/setup_wizard.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "platform/message_box.h"
#include "platform/qt/qt_message_boxes.h"
#include "setup/flow/setup_session.h"
#include "setup/qt/background_window.h"
#include "setup/qt/install_progress_page.h"
#include "setup/qt/wizard_art.h"
#include "setup/qt/wizard_pages.h"
#include "setup/setup_config.h"
#include "setup/setup_strings.h"

namespace qm::setup {

namespace {

SetupPage* MakePage(CSetupSession& session, PageKind kind) {
    const CSetupConfig& config = session.Config();
    switch (kind) {
        case PageKind::Splash:
            return new SplashPage(session);
        case PageKind::Welcome:
            return new WelcomePage(session);
        case PageKind::Licence:
            return new DocumentPage(session, kind, config.EulaFile());
        case PageKind::Readme:
            return new DocumentPage(session, kind, config.ReadmeFile());
        case PageKind::Components:
            return new ComponentsPage(session);
        case PageKind::Destination:
            return new DestinationPage(session);
        case PageKind::Group:
            return new GroupPage(session);
        case PageKind::Uninstall:
            return new UninstallPage(session);
        case PageKind::Summary:
            return new SummaryPage(session);
        case PageKind::Installing:
            return new InstallProgressPage(session);
        case PageKind::Finish:
            return new FinishPage(session);
    }
    return nullptr;
}

}  // namespace

SetupWizard::SetupWizard(CSetupSession& session, QWidget* parent)
    : QWizard(parent), session_(session) {
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(art::FrameIcon());
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnLastPage, true);
    setOption(QWizard::NoDefaultButton, false);
    setMinimumSize(640, 440);
    for (const PageEntry& entry : session.Pages()) {
        SetupPage* page = MakePage(session, entry.kind);
        addPage(page);
        pages_.push_back(page);
        if (entry.kind == PageKind::Installing) {
            installing_ = static_cast<InstallProgressPage*>(page);
            connect(installing_, &InstallProgressPage::InstallationEnded, this,
                    &SetupWizard::InstallationEnded);
        } else if (entry.kind == PageKind::Finish) {
            finish_ = static_cast<FinishPage*>(page);
        }
    }
    connect(this, &QWizard::currentIdChanged, this, &SetupWizard::PageChanged);
    // One timer, restarted on every page, so that each page is pressed once.
    presser_ = new QTimer(this);
    presser_->setSingleShot(true);
    connect(presser_, &QTimer::timeout, this, &SetupWizard::PressOnce);
}

SetupPage* SetupWizard::Page(PageKind kind) const {
    for (SetupPage* page : pages_) {
        if (page->Kind() == kind) {
            return page;
        }
    }
    return nullptr;
}

void SetupWizard::showEvent(QShowEvent* event) {
    QWizard::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

void SetupWizard::PageChanged(int) {
    const auto* page = dynamic_cast<const SetupPage*>(currentPage());
    if (page == nullptr) {
        return;
    }
    // No buttons but Cancel while the engine runs; after it, no way back.
    if (page->Kind() == PageKind::Installing) {
        setButtonLayout({QWizard::Stretch, QWizard::CancelButton});
    } else if (page->Kind() == PageKind::Finish) {
        setButtonLayout({QWizard::Stretch, QWizard::FinishButton, QWizard::CancelButton});
        if (!session_.RebootRequested()) {
            setButtonText(QWizard::CancelButton, QStringLiteral("Close"));
        }
    }
    if (pressDelay_ >= 0) {
        presser_->start(pressDelay_);
    }
}

void SetupWizard::InstallationEnded(InstallOutcome outcome) {
    if (outcome != InstallOutcome::Succeeded) {
        result_.end =
            outcome == InstallOutcome::Cancelled ? WizardEnd::Cancelled : WizardEnd::Failed;
        QWizard::reject();
        return;
    }
    result_.end = WizardEnd::Succeeded;
    if (finish_ != nullptr) {
        next();
    } else {
        QWizard::accept();  // the engine presses Finish
    }
}

void SetupWizard::reject() {
    const auto* page = dynamic_cast<const SetupPage*>(currentPage());
    const PageKind kind = page != nullptr ? page->Kind() : PageKind::Summary;
    if (kind == PageKind::Finish) {
        // The installation is done: Close leaves without the options, Cancel without the
        // restart.
        result_.end = WizardEnd::Succeeded;
        result_.restart = false;
        QWizard::reject();
        return;
    }
    if (kind == PageKind::Installing) {
        if (installing_ != nullptr && installing_->isComplete()) {
            QWizard::reject();
        } else {
            session_.Engine().RequestCancel();  // the engine's end closes the wizard
        }
        return;
    }
    if (ShowMessageBox(kConfirmAbort, kCaption, MessageBoxButtons::YesNo,
                       MessageBoxIcon::Question) == MessageBoxResult::Yes) {
        result_.end = WizardEnd::Cancelled;
        QWizard::reject();
    }
}

void SetupWizard::accept() {
    result_.end = WizardEnd::Succeeded;
    if (finish_ != nullptr && currentPage() == finish_) {
        if (session_.RebootRequested()) {
            result_.restart = true;
        } else {
            session_.OpenFinishOptions(finish_->Ticked());
        }
    }
    QWizard::accept();
}

void SetupWizard::PressThrough(int delayMilliseconds) {
    pressDelay_ = delayMilliseconds;
    presser_->start(pressDelay_);
}

void SetupWizard::PressOnce() {
    const auto* page = dynamic_cast<const SetupPage*>(currentPage());
    if (page == nullptr || !isVisible()) {
        return;
    }
    if (const auto* document = dynamic_cast<const DocumentPage*>(page);
        document != nullptr && document->Agree() != nullptr) {
        document->Agree()->setChecked(true);
    }
    if (page->Kind() == PageKind::Installing) {
        return;  // the engine moves on by itself
    }
    QAbstractButton* next = button(QWizard::NextButton);
    QAbstractButton* finish = button(QWizard::FinishButton);
    const int before = currentId();
    if (finish->isVisible() && finish->isEnabled()) {
        finish->click();
    } else if (next->isVisible() && next->isEnabled()) {
        next->click();
    }
    // A page that stayed (a question answered No) is pressed again later.
    if (currentId() == before && isVisible()) {
        presser_->start(qMax(pressDelay_, 200));
    }
}

WizardResult QtWizardFront::Run(CSetupSession& session) {
    QtMessageBoxService boxes(art::FrameIcon());
    MessageBoxService* previous = SetMessageBoxService(&boxes);
    std::unique_ptr<BackgroundWindow> background;
    if (BackgroundWindow::Wanted(session.Config())) {
        background = std::make_unique<BackgroundWindow>(session.Config());
        background->setWindowIcon(art::FrameIcon());
        // Without a window manager a maximised window keeps its size; the screen's size
        // holds either way.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            background->setGeometry(screen->availableGeometry());
        }
        background->showMaximized();
    }
    WizardResult result;
    {
        SetupWizard wizard(session, background.get());
        if (background) {
            wizard.setWindowFlag(Qt::Dialog);
        }
        if (pressDelay_ >= 0) {
            wizard.PressThrough(pressDelay_);
        }
        wizard.exec();
        session.Engine().Wait();
        result = wizard.Result();
    }
    SetMessageBoxService(previous);
    return result;
}

}  // namespace qm::setup
