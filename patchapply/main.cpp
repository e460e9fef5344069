// PatchApply: installs a Fastfile patch into the game's Fastfiles. Works without a main
// window: everything happens during start-up, then the program ends.
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "patchapply/command_line.h"
#include "patchapply/console_front_end.h"
#include "patchapply/install_engine.h"
#include "patchapply/registration.h"
#include "platform/command_line_text.h"
#include "platform/program_path.h"

#if defined(QM_PATCHAPPLY_QT)
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

}  // namespace

int main(int argc, char** argv) {
    using namespace patchapply;
    const CommandLine command = ParseCommandLine(qm::CommandLineText(argc, argv));
    if (command.kind == CommandKind::Register) {
        RegisterInstaller(qm::RunningProgramPath(argv[0]));
        return 0;
    }
    if (command.kind == CommandKind::Unregister) {
        UnregisterInstaller();
        return 0;
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
