// TexBench's start-up and exit around the main dialog: command line, second-start hand-over,
// game location, settings, binding PackLib, the read-only check, registration and the restart
// a skin change asks for. The windows (wait cursor, file dialog, splash, main dialog) belong
// to a StartupShell, so that the sequence runs without a display in tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "inidoc/ini_document.h"
#include "packlib/packlib.h"
#include "platform/ipc.h"
#include "platform/library_binding.h"
#include "suite/game_location.h"
#include "suite/single_instance.h"
#include "texbench/skins/skin_loader.h"
#include "texbench/startup/command_line.h"
#include "texbench/startup/product_name.h"

namespace texbench {

// The single-instance endpoint; other tools find a running TexBench by this name.
inline constexpr const char* kInstanceName = suite::kTexBenchWindowClass;
inline constexpr char kLibraryFailedText[] =
    "ERROR: Failed to load Library!\nMake sure that  you have the latest version of "
    "'PackLib.dll' installed.";

// The program-wide state, owned by the application for the whole run.
struct ApplicationState {
    std::string programPath;
    CommandLine commandLine;
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    bool skinMode = false;        // a skin was taken at start-up (skin.skinMode)
    bool restartRequest = false;  // set by the skin menu or a failed template; acted on at exit
    // The skin in use: its module, colours and name. The module stays loaded until exit.
    SkinState skin;
    int splashDuration = 2000;  // ms; 0 means no splash window
    // The "Image Buffer" setting, for the stream buffer of every picture file TexBench loads
    // or saves (the image classes' LoadFile and SaveFile take it).
    std::uint32_t imageBufferBytes = 1024 * 1024;
    int ipcTimeout = 500;  // ms
    // Decides tree and list colours of skins on Windows; other platforms keep the default.
    bool newCommonControls = false;
    std::string gameDirectory;  // ends with a separator
    std::string gameProgram;
    std::string helpFilePath;
    std::string settingsFilePath;
    CIniDocument settings;
    bool settingsLoaded = false;
    // Where a second start reaches this one; null when the endpoint could not be made.
    std::unique_ptr<qm::IpcListener> instanceEndpoint;
};

// The windows of start-up.
class StartupShell : public suite::GameLocationFrontEnd {
  public:
    // From the moment this instance owns the endpoint: the shell takes its messages from then
    // on, and ignores them while no main dialog can act on them, so that an early second
    // start is answered instead of waiting in vain.
    virtual void ServeInstanceEndpoint(qm::IpcListener& endpoint) = 0;
    // The endpoint is about to close (exit): nothing may touch it afterwards.
    virtual void StopServingInstanceEndpoint() = 0;
    virtual void ShowWaitCursor(bool on) = 0;
    // Modal; returns when the splash window closed.
    virtual void ShowSplash(int durationMs) = 0;
    // Creates the main dialog, runs it modally and destroys it before returning; meanwhile it
    // serves state.instanceEndpoint (see InstanceRequest).
    virtual void RunMainDialog(ApplicationState& state) = 0;
};

struct StartupOptions {
    std::string programPath;  // the program's full file name
    std::string commandLine;  // the text after the program name
    std::string libraryName = "PackLib.dll";
    suite::GameSearchPlaces searchPlaces;
    // How long a second start waits for the first to take each message.
    std::chrono::milliseconds handOverTimeout{5000};
};

// Runs the program from its command line to its exit steps; returns the exit code: 0 when it
// did what it was started for, 1 when start-up failed (see Start in the source).
int RunTexBench(const StartupOptions& options, StartupShell& shell);

// The second start's part: asks the running instance to come to the front and, when text
// remains of the command line, to open it. False when no instance took the first message.
bool HandOverToRunningInstance(const std::string& commandLine, std::chrono::milliseconds timeout);

using suite::InstanceRequest;
using suite::InterpretInstanceMessage;

// Starts the program again, detached, with "-nosplash". False when it could not be started.
bool StartProgramAgain(const std::string& programPath);

}  // namespace texbench
