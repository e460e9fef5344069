#include "setup/flow/setup_program.h"

#include "platform/message_box.h"
#include "setup/flow/flow_strings.h"
#include "setup/flow/setup_session.h"
#include "setup/flow/setup_system.h"
#include "setup/install_engine.h"
#include "setup/setup_config.h"
#include "setup/setup_paths.h"
#include "setup/setup_strings.h"

namespace qm::setup {

namespace {

std::string WithName(const char* text, const std::string& path) {
    std::string message = text;
    message.replace(message.find("%s"), 2, FileNamePart(path));
    return message;
}

std::string ModulePath(const CSetupConfig& config, const char* key) {
    const std::string value = config.GetExpanded("Modules", key);
    return value.empty() ? value : ResolvePath(config.CurrentDirectory(), value);
}

bool RunPreInstall(const CSetupConfig& config, SetupSystem& system) {
    const std::string program = ModulePath(config, "PreInstall");
    if (program.empty()) {
        return true;
    }
    const int mode = config.GetInt("Modules", "PreMode");
    const auto result = system.StartProgram(program, mode != 0);
    if (!result) {
        return ShowMessageBox(WithName(kPreInstallFailed, program), kCaption,
                              MessageBoxButtons::YesNo,
                              MessageBoxIcon::Error) == MessageBoxResult::Yes;
    }
    return mode != 2 || *result == 0;
}

bool LoadExtension(CSetupSession& session) {
    CSetupConfig& config = session.Config();
    const std::string path = ModulePath(config, "Library");
    if (path.empty()) {
        return true;
    }
    auto extension = CExtensionLibrary::Load(path);
    if (!extension) {
        ShowMessageBox(kExtensionFailed, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
        return false;
    }
    const bool agreed = extension->Initialise(config, session.Engine().Choices());
    session.SetExtension(std::move(extension));
    return agreed && config.SetUserVariables();
}

}  // namespace

WizardFront::~WizardFront() = default;

int RunSetupProgram(const std::string& currentDirectory, const SystemFolders& folders,
                    SetupServices& services, SetupSystem& system, WizardFront& front) {
    CSetupConfig config;
    if (config.Load(currentDirectory, folders) != ConfigFailure::None) {
        return kSetupFailed;
    }
    // A run whose Setup was killed is taken back before anything else is installed.
    CInstallEngine::RecoverInterruptedRuns(config, services);
    CSetupSession session(config, services, system);
    if (!RunPreInstall(config, system) || !LoadExtension(session)) {
        return kSetupFailed;
    }
    session.BuildPages();
    WizardResult result = front.Run(session);
    session.Engine().Wait();

    if (CExtensionLibrary* extension = session.Extension()) {
        const int how = result.restart ? 1 : result.end == WizardEnd::Succeeded ? 0 : -1;
        if (!extension->Exit(how) && result.restart) {
            result.restart = false;  // the run goes on as after success
        }
    }
    session.UnloadExtension();

    if (result.restart && system.RestartComputer()) {
        return kSetupRestarts;
    }
    if (result.end != WizardEnd::Succeeded) {
        return kSetupFailed;
    }
    const std::string postInstall = ModulePath(config, "PostInstall");
    if (!postInstall.empty() && !system.StartProgram(postInstall, false)) {
        ShowMessageBox(WithName(kPostInstallFailed, postInstall), kCaption, MessageBoxButtons::Ok,
                       MessageBoxIcon::Error);
        return kSetupFailed;
    }
    return kSetupDone;
}

}  // namespace qm::setup
