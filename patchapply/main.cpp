// PatchApply: installs a Fastfile patch into the game's Fastfiles. Works without a main
// window: everything happens during start-up, then the program ends.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>

#include "patchapply/command_line.h"
#include "patchapply/console_front_end.h"
#include "patchapply/install_engine.h"
#include "patchapply/registration.h"
#include "patchapply/uninstall_engine.h"
#include "platform/command_line_text.h"
#include "platform/program_path.h"

#if defined(QM_PATCHAPPLY_QT)
#include "patchapply/installed_patches_dialog.h"
#include "patchapply/qt_front_end.h"
#endif

namespace {

[[maybe_unused]] bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && std::string(platform).rfind("offscreen", 0) == 0) {
        return true;
    }
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

int ExitCode(patchapply::RunOutcome outcome) {
    return outcome == patchapply::RunOutcome::Installed ? 0 : 1;
}

bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            return true;
        }
    }
    return false;
}

void PrintHelp() {
    std::printf(
        "Usage: patchapply [-noprompt] PATCH.kdz\n"
        "       patchapply -uninstall [-force] [RECORD]\n"
        "       patchapply -register | -unregister\n"
        "Installs a Fastfile patch into the game's Fastfiles. With a display it shows its\n"
        "dialogs; without one it asks on the terminal.\n\n"
        "  -noprompt    install without asking (questions take their default answers)\n"
        "  -uninstall   take an installed patch back out; RECORD is a folder listed by\n"
        "               'fftool installed'. Items changed since are only restored after a\n"
        "               question, or at once with -force. Without RECORD: the installed\n"
        "               patches, newest first (a window to choose from, or a list)\n"
        "  -register    write PatchApply's registry entries and the .kdz association, then end\n"
        "  -unregister  remove them, then end\n\n"
        "Exit status: 0 when the patch was installed, 1 otherwise.\n");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace patchapply;
    if (AsksForHelp(argc, argv)) {
        PrintHelp();
        return 0;
    }
    const CommandLine command = ParseCommandLine(qm::CommandLineText(argc, argv));
    if (command.kind == CommandKind::Register) {
        RegisterInstaller(qm::RunningProgramPath(argv[0]));
        return 0;
    }
    if (command.kind == CommandKind::Unregister) {
        UnregisterInstaller();
        return 0;
    }
    if (command.kind == CommandKind::Uninstall && command.fileName.empty()) {
#if defined(QM_PATCHAPPLY_QT)
        if (HasDisplay()) {
            return RunInstalledPatchesWithQt(argc, argv, command);
        }
#endif
        return ListInstalledPatches(stdout);
    }
    if (command.kind == CommandKind::Uninstall) {
        ConsoleFrontEnd frontEnd;
        return RunUninstaller(command, frontEnd) ? 0 : 1;
    }
    const InstallOptions options{std::chrono::milliseconds(200)};
#if defined(QM_PATCHAPPLY_QT)
    if (HasDisplay()) {
        return RunWithQt(argc, argv, command, options);
    }
#endif
    ConsoleFrontEnd frontEnd;
    return ExitCode(RunInstaller(command, frontEnd, options));
}
