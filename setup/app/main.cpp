// Setup: installs what Setup.ini in the current directory describes. With a display it shows
// the wizard; without one (off screen too), or with --unattended (or QM_SETUP_UNATTENDED=1),
// it answers every page with its defaults. --press-through[=MS] (or QM_SETUP_PRESS_THROUGH=MS)
// shows the wizard, off screen as well, and presses Next and Finish by itself.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "setup/flow/setup_program.h"
#include "setup/flow/setup_system.h"
#include "setup/flow/unattended_wizard.h"
#include "setup/setup_services.h"
#include "setup/system_folders.h"

#if defined(QM_SETUP_QT)
#include <QApplication>

#include "setup/qt/setup_wizard.h"
#endif

namespace {

struct Options {
    bool unattended = false;
    int pressThrough = -1;
    bool help = false;
};

int DelayOf(const char* text) {
    return text != nullptr && *text != '\0' ? std::atoi(text) : 400;
}

Options ReadOptions(int argc, char** argv) {
    Options options;
    if (const char* value = std::getenv("QM_SETUP_UNATTENDED"); value && *value && *value != '0') {
        options.unattended = true;
    }
    if (const char* value = std::getenv("QM_SETUP_PRESS_THROUGH"); value && *value) {
        options.pressThrough = DelayOf(value);
    }
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--unattended" || argument == "/S" || argument == "-s") {
            options.unattended = true;
        } else if (argument == "--press-through") {
            options.pressThrough = DelayOf(nullptr);
        } else if (argument.rfind("--press-through=", 0) == 0) {
            options.pressThrough = DelayOf(argv[i] + std::strlen("--press-through="));
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        }
    }
    return options;
}

// A wizard nobody can see would wait for ever: off screen it only runs pressed through.
bool CanShowWizard(const Options& options) {
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform && *platform) {
        const std::string name = platform;
        return (name != "offscreen" && name != "minimal") || options.pressThrough >= 0;
    }
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (const char* value = std::getenv(name); value && *value) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ReadOptions(argc, argv);
    if (options.help) {
        std::puts(
            "setup [--unattended | --press-through[=MS]]\n"
            "Installs what Setup.ini in the current directory describes.");
        return 0;
    }
    std::error_code ec;
    const std::string current = std::filesystem::current_path(ec).string();
    qm::setup::SetupServices services;
    qm::setup::SetupSystem system;
    const qm::setup::SystemFolders folders = qm::setup::CurrentUserFolders();
#if defined(QM_SETUP_QT)
    if (!options.unattended && CanShowWizard(options)) {
        QApplication app(argc, argv);
        qm::setup::QtWizardFront front(options.pressThrough);
        return qm::setup::RunSetupProgram(current, folders, services, system, front);
    }
#endif
    qm::setup::UnattendedWizard front;
    return qm::setup::RunSetupProgram(current, folders, services, system, front);
}
