#include "setup/flow/unattended_wizard.h"

#include "setup/flow/setup_session.h"
#include "setup/install_engine.h"
#include "setup/setup_config.h"

namespace qm::setup {

namespace {

// Leaves one page forward with its defaults; false when the page keeps itself.
bool LeavePage(CSetupSession& session, PageKind kind) {
    CSetupConfig& config = session.Config();
    switch (kind) {
        case PageKind::Components:
            session.StoreComponents(session.Components());
            return true;
        case PageKind::Destination:
            return session.LeaveDestination(config.Destination());
        case PageKind::Group: {
            const GroupPageState group = session.GroupDefaults();
            return session.LeaveGroup(group.startMenu, group.newGroup, group.groupName,
                                      group.desktopShown);
        }
        case PageKind::Uninstall:
            return session.LeaveUninstall(session.UninstallAvailable(), config.LogDirectory());
        default:
            return true;
    }
}

}  // namespace

WizardResult UnattendedWizard::Run(CSetupSession& session) {
    WizardResult result;
    for (const PageEntry& page : session.Pages()) {
        if (page.kind == PageKind::Installing) {
            CInstallEngine& engine = session.Engine();
            if (!engine.Start()) {
                result.end = WizardEnd::Failed;
                return result;
            }
            engine.Wait();
            if (engine.Outcome() != InstallOutcome::Succeeded) {
                result.end = engine.Outcome() == InstallOutcome::Cancelled ? WizardEnd::Cancelled
                                                                           : WizardEnd::Failed;
                return result;
            }
            result.end = WizardEnd::Succeeded;
        } else if (page.kind == PageKind::Finish) {
            result.restart = session.RebootRequested();
        } else if (!LeavePage(session, page.kind)) {
            // Nobody can change the page's answer: the wizard is cancelled.
            result.end = WizardEnd::Cancelled;
            return result;
        }
    }
    return result;
}

}  // namespace qm::setup
