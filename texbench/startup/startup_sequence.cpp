#include "texbench/startup/startup_sequence.h"

#include <filesystem>

#include "platform/debug_output.h"
#include "platform/message_box.h"
#include "texbench/startup/registration.h"
#include "texbench/startup/settings.h"

namespace texbench {
namespace {

// Skins are not built yet: no skin file is ever taken, so skin mode stays off whatever the
// "Skin" setting names. This is where loading the skin file will go.
bool TakeSkin(ApplicationState& state) {
    const std::string skinFile = ReadText(state.settings, kSkin);
    (void)skinFile;
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

// Steps 1 and 2: false when this start ends here (registration, or handed over to the running
// instance).
bool BecomeTheInstance(ApplicationState& state, const StartupOptions& options,
                       StartupShell& shell) {
    switch (state.commandLine.command) {
        case StartCommand::Register:
            RegisterProgram(state.programPath);
            return false;
        case StartCommand::Unregister:
            UnregisterProgram();
            return false;
        case StartCommand::Run:
            break;
    }
    state.instanceEndpoint = qm::IpcListener::Listen(kInstanceName);
    if (state.instanceEndpoint) {
        shell.ServeInstanceEndpoint(*state.instanceEndpoint);
        return true;
    }
    // Without an endpoint and nobody answering there, this start goes on alone.
    return !HandOverToRunningInstance(state.commandLine.text, options.handOverTimeout);
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

// Steps 1 to 16; returning early is "end".
void Start(ApplicationState& state, const StartupOptions& options, StartupShell& shell) {
    if (!BecomeTheInstance(state, options, shell) || !Prepare(state, options, shell)) {
        return;
    }
    if (state.splashDuration != 0) {
        shell.ShowSplash(state.splashDuration);
    }
    state.skinMode = TakeSkin(state);
    shell.RunMainDialog(state);
}

void Exit(ApplicationState& state, StartupShell& shell) {
    state.packLib.Unbind();
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
    Start(state, options, shell);
    Exit(state, shell);
    return 0;
}

bool HandOverToRunningInstance(const std::string& commandLine, std::chrono::milliseconds timeout) {
    return suite::HandOverToRunningInstance(kInstanceName, HandOverText(commandLine), timeout);
}

bool StartProgramAgain(const std::string& programPath) {
    return suite::StartToolProgram(programPath);
}

}  // namespace texbench
