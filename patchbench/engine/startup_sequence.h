// The editor's start and exit around its main dialog: switches, the second start handing over
// to the first, binding PackLib and PatchLib, the database, settings and help file names, the
// registration written on every start, and the exit steps in their order. The windows belong
// to an EditorShell, so that the sequence runs in tests without a display.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "packlib/packlib.h"
#include "patchbench/engine/command_line.h"
#include "patchlib/patchlib.h"
#include "platform/ipc.h"
#include "platform/library_binding.h"

namespace patchbench {

// What the program holds for its whole run.
struct EditorState {
    std::string programPath;
    CommandLine commandLine;
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    qm::LibraryBinding<PATCHLIBEXPORT> patchLib;
    FFLDB* database = nullptr;  // opened once at start, closed at exit
    std::string helpFilePath;
    std::string settingsFilePath;
    std::string tipsFilePath;
    std::unique_ptr<qm::IpcListener> instanceEndpoint;
};

class EditorShell {
  public:
    virtual ~EditorShell() = default;
    // From the moment this start owns the endpoint; messages that come before the main dialog
    // runs wait for it.
    virtual void ServeInstanceEndpoint(qm::IpcListener& endpoint) = 0;
    virtual void StopServingInstanceEndpoint() = 0;
    // Runs the main dialog modally; returns when it has closed (its patch closed too).
    virtual void RunMainDialog(EditorState& state) = 0;
};

struct EditorStartOptions {
    std::string programPath;  // full file name of the program
    std::string commandLine;  // the text after the program name
    std::string packLibName = "PackLib.dll";
    std::string patchLibName = "PatchLib.dll";
    std::chrono::milliseconds handOverTimeout{5000};
};

enum class StartOutcome {
    Registered,
    Unregistered,
    HandedOver,      // a running editor took the command line
    LibraryFailed,   // message shown
    DatabaseFailed,  // message shown
    Ran,             // the main dialog ran and closed
};

StartOutcome RunPatchBench(const EditorStartOptions& options, EditorShell& shell);

// Whether the main dialog shows the tip of the day when it opens: not with "-nosplash",
// otherwise as "Show Tip" says (default on).
bool ShowsTipAtStart(const EditorState& state);

}  // namespace patchbench
