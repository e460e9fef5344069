// Uninstall: removes what Setup installed, as its uninstall log lists it. Setup registers
// "uninstall LOGFILE" as the product's uninstall command.
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
#include "uninstall/uninstall_services.h"
#include "uninstall/uninstall_start.h"

namespace {

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && std::string(platform).rfind("offscreen", 0) == 0) {
        return true;
    }
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qm::uninstall;
    // Whatever an earlier run could not delete goes first, while nothing holds it any more.
    ProcessPendingDeletions();
    const std::string commandLine = qm::CommandLineText(argc, argv);
    if (commandLine == kCleanupArgument) {
        return 0;
    }
    if (!HasDisplay()) {
        // The messages about the command line still reach a terminal; the wizard cannot.
        CIniDocument log;
        if (const std::optional<int> result = LoadLog(commandLine, log)) {
            return *result;
        }
        std::fprintf(stderr, "uninstall: the wizard needs a display (DISPLAY is not set)\n");
        return -1;
    }
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
