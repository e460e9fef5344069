#include "texbench/startup/startup_sequence.h"

#include <filesystem>

#include "platform/debug_output.h"
#include "platform/message_box.h"
#include "texbench/startup/registration.h"
#include "texbench/startup/settings.h"

namespace texbench {
namespace {

// Step 15: the skin named by "Skin", if any.
void TakeSkin(ApplicationState& state) {
    const std::string skinFile = ReadText(state.settings, kSkin);
    if (!skinFile.empty()) {
        if (!LoadSkin(skinFile, state.skin)) {
            state.skin.module.reset();  // a module that was not taken is not kept either
        }
    }
    state.skinMode = state.skin.skinMode;
}

// Step 16's template: a skin whose template 102 cannot be loaded is dropped, and the program
// starts again in the system look instead of showing a dialog it cannot lay out.
bool MainDialogTemplateLoads(ApplicationState& state) {
    if (MainDialogTemplate(state.skin)) {
        return true;
    }
    qm::ShowMessageBox(kSkinResourcesFailed, kProductName, qm::MessageBoxButtons::Ok,
                       qm::MessageBoxIcon::Error);
    state.settings.SetString(kSkin.section, kSkin.key, "");
    state.restartRequest = true;
    return false;
}

void ReadEngineSettings(ApplicationState& state) {
    const PACKLIBEXPORT& packLib = state.packLib.Record();
    packLib.FFLSetDbBufferSize(DatabaseBufferKb(state.settings));
    packLib.FFLSetBufferSize(FastfileBufferKb(state.settings));
    state.imageBufferBytes = ImageBufferBytes(state.settings);
    state.ipcTimeout = IpcTimeout(state.settings);
}

// The wait cursor from step 3 until the windows of start-up take over.
class WaitCursor {
  public:
    explicit WaitCursor(StartupShell& shell) : shell_(shell) { shell_.ShowWaitCursor(true); }
    ~WaitCursor() { End(); }
    void End() {
        if (on_) {
            shell_.ShowWaitCursor(false);
            on_ = false;
        }
    }

  private:
    StartupShell& shell_;
    bool on_ = true;
};

// How a step of start-up left the program.
enum class StepResult { GoOn, Done, Failed };

// Steps 1 and 2: Done when this start ends here (registered, unregistered, or handed over to
// the running instance), Failed when the registration or unregistration failed.
StepResult BecomeTheInstance(ApplicationState& state, const StartupOptions& options,
                             StartupShell& shell) {
    switch (state.commandLine.command) {
        case StartCommand::Register:
            return RegisterProgram(state.programPath) ? StepResult::Done : StepResult::Failed;
        case StartCommand::Unregister:
            return UnregisterProgram() ? StepResult::Done : StepResult::Failed;
        case StartCommand::Run:
            break;
    }
    state.instanceEndpoint = qm::IpcListener::Listen(kInstanceName);
    if (state.instanceEndpoint) {
        shell.ServeInstanceEndpoint(*state.instanceEndpoint);
        return StepResult::GoOn;
    }
    // Without an endpoint and nobody answering there, this start goes on alone.
    return HandOverToRunningInstance(state.commandLine.text, options.handOverTimeout)
               ? StepResult::Done
               : StepResult::GoOn;
}

// Step 8: STRING 4 with the stop icon when the library cannot be bound.
bool BindPackLib(ApplicationState& state, const std::string& libraryName) {
    std::string error;
    if (state.packLib.Bind(libraryName.c_str(), "PackLibInit", &error)) {
        return true;
    }
    qm::DebugOutput(("ERROR: " + error + "\n").c_str());
    qm::ShowMessageBox(kLibraryFailedText, kProductName, qm::MessageBoxButtons::Ok,
                       qm::MessageBoxIcon::Error);
    return false;
}

// Steps 3 to 13: false when start-up ends before the windows.
bool Prepare(ApplicationState& state, const StartupOptions& options, StartupShell& shell) {
    WaitCursor waitCursor(shell);
    state.helpFilePath = HelpFilePath(state.programPath);
    state.settingsFilePath = SettingsFilePath(state.programPath);

    const auto location = suite::LocateGame(shell, options.searchPlaces, kProductName);
    if (!location) {
        return false;
    }
    state.gameDirectory = location->directory;
    state.gameProgram = location->program;

    state.settings.Load(state.settingsFilePath);  // a missing file is no error
    state.settingsLoaded = true;

    if (!BindPackLib(state, options.libraryName) || !state.packLib->DoReadOnlyCheck(kProductName)) {
        return false;
    }
    ReadEngineSettings(state);

    std::error_code ignored;
    std::filesystem::current_path(qm::ProgramDirectoryOf(state.programPath), ignored);

    state.splashDuration = SplashDuration(state.settings, state.commandLine.noSplash);
    // Every start writes the entries again, so that a moved program is found; the desktop's
    // caches are refreshed only when the entry changed.
    RegisterProgram(state.programPath, false);
    return true;
}

// Steps 1 to 16; returning early is "end". The exit code: 1 when start-up failed (a failed
// registration or unregistration, no game, no PackLib, the read-only check refused), else 0.
int Start(ApplicationState& state, const StartupOptions& options, StartupShell& shell) {
    switch (BecomeTheInstance(state, options, shell)) {
        case StepResult::Done:
            return 0;
        case StepResult::Failed:
            return 1;
        case StepResult::GoOn:
            break;
    }
    if (!Prepare(state, options, shell)) {
        return 1;
    }
    if (state.splashDuration != 0) {
        shell.ShowSplash(state.splashDuration);
    }
    TakeSkin(state);
    if (MainDialogTemplateLoads(state)) {
        shell.RunMainDialog(state);
    }
    return 0;
}

void Exit(ApplicationState& state, StartupShell& shell) {
    state.packLib.Unbind();
    state.skin.module.reset();
    if (state.settingsLoaded) {
        state.settings.Save(state.settingsFilePath);
    }
    // The new instance must find the endpoint free.
    if (state.instanceEndpoint) {
        shell.StopServingInstanceEndpoint();
        state.instanceEndpoint.reset();
    }
    if (state.restartRequest) {
        StartProgramAgain(state.programPath);
    }
}

}  // namespace

int RunTexBench(const StartupOptions& options, StartupShell& shell) {
    ApplicationState state;
    state.programPath = options.programPath;
    state.commandLine = ParseCommandLine(options.commandLine);
    const int exitCode = Start(state, options, shell);
    Exit(state, shell);
    return exitCode;
}

bool HandOverToRunningInstance(const std::string& commandLine, std::chrono::milliseconds timeout) {
    return suite::HandOverToRunningInstance(kInstanceName, HandOverText(commandLine), timeout);
}

bool StartProgramAgain(const std::string& programPath) {
    return suite::StartToolProgram(programPath);
}

}  // namespace texbench
