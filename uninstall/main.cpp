// Uninstall: removes what Setup installed, as its uninstall log lists it. Setup registers
// "uninstall LOGFILE" as the product's uninstall command. With a display it shows the wizard;
// without one (off screen too), or with --unattended or /S before or after the log (or
// QM_UNINSTALL_UNATTENDED=1), every page is left with what it first shows.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "inidoc/ini_document.h"
#include "platform/command_line_text.h"
#include "platform/message_box.h"
#include "platform/qt/qt_message_boxes.h"
#include "uninstall/pending_deletions.h"
#include "uninstall/qt/uninstall_wizard.h"
#include "uninstall/unattended_uninstall.h"
#include "uninstall/uninstall_services.h"
#include "uninstall/uninstall_start.h"

namespace {

// A wizard nobody can see would wait for ever.
bool CanShowWizard() {
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform && *platform) {
        const std::string name = platform;
        if (name.rfind("offscreen", 0) == 0 || name.rfind("minimal", 0) == 0) {
            return false;
        }
    }
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (const char* value = std::getenv(name); value && *value) {
            return true;
        }
    }
    return false;
}

bool UnattendedFromEnvironment() {
    const char* value = std::getenv("QM_UNINSTALL_UNATTENDED");
    return value != nullptr && *value != '\0' && *value != '0';
}

int RunWizard(int argc, char** argv, const std::string& commandLine) {
    using namespace qm::uninstall;
    QApplication app(argc, argv);
    qm::QtMessageBoxService messages;
    qm::SetMessageBoxService(&messages);
    CIniDocument log;
    if (const std::optional<int> result = LoadLog(commandLine, log)) {
        qm::SetMessageBoxService(nullptr);
        return *result;
    }
    UninstallServices services;
    int result = -1;
    {
        UninstallWizard wizard(log, services);
        wizard.exec();
        services.SaveScheduled();
        switch (wizard.Result()) {
            case WizardResult::Cancelled:
                result = -1;
                break;
            case WizardResult::Finished:
                result = 0;
                break;
            case WizardResult::Restart:
                services.Restart();
                result = 0;
                break;
        }
    }
    qm::SetMessageBoxService(nullptr);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qm::uninstall;
    // Whatever an earlier run could not delete goes first, while nothing holds it any more.
    ProcessPendingDeletions();
    std::string commandLine = qm::CommandLineText(argc, argv);
    if (commandLine == kCleanupArgument) {
        return 0;
    }
    const bool switched = TakeUnattendedSwitch(commandLine);
    if (!switched && !UnattendedFromEnvironment() && CanShowWizard()) {
        return RunWizard(argc, argv, commandLine);
    }
    // The questions go to the terminal, and are answered carefully when there is none.
    CIniDocument log;
    if (const std::optional<int> result = LoadLog(commandLine, log)) {
        return *result;
    }
    UninstallServices services;
    return RunUnattended(log, services);
}
