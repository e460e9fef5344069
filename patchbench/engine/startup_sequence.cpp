#include "patchbench/engine/startup_sequence.h"

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/instance_protocol.h"
#include "patchbench/engine/profile_settings.h"
#include "patchbench/engine/registration.h"
#include "patchbench/engine/tip_of_the_day.h"
#include "platform/debug_output.h"
#include "platform/message_box.h"
#include "platform/program_path.h"

namespace patchbench {
namespace {

void Stop(const char* text) {
    qm::ShowMessageBox(text, kProgramTitle, qm::MessageBoxButtons::Ok, qm::MessageBoxIcon::Error);
}

bool BindLibraries(EditorState& state, const EditorStartOptions& options) {
    std::string error;
    if (state.packLib.Bind(options.packLibName.c_str(), "PackLibInit", &error) &&
        state.patchLib.Bind(options.patchLibName.c_str(), "PatchLibInit", &error)) {
        return true;
    }
    // Why it failed goes where developers look; users see the one message.
    qm::DebugOutput(("ERROR: " + error + "\n").c_str());
    Stop(kLibraryFailedText);
    return false;
}

StartOutcome Start(EditorState& state, const EditorStartOptions& options, EditorShell& shell) {
    switch (state.commandLine.command) {
        case StartCommand::Register:
            RegisterEditor(state.programPath);
            return StartOutcome::Registered;
        case StartCommand::Unregister:
            UnregisterEditor();
            return StartOutcome::Unregistered;
        case StartCommand::Run:
            break;
    }
    state.instanceEndpoint = qm::IpcListener::Listen(kInstanceName);
    if (state.instanceEndpoint) {
        shell.ServeInstanceEndpoint(*state.instanceEndpoint);
    } else if (HandOverToRunningEditor(options.commandLine, options.handOverTimeout)) {
        return StartOutcome::HandedOver;
    }
    // Without an endpoint and nobody answering there, this start goes on alone.
    if (!BindLibraries(state, options)) {
        return StartOutcome::LibraryFailed;
    }
    state.database = state.packLib->FFLOpenDatabase(nullptr);
    if (state.database == nullptr) {
        Stop(kDatabaseFailedText);
        return StartOutcome::DatabaseFailed;
    }
    state.helpFilePath = qm::ProgramFilePath(state.programPath, "chm");
    state.settingsFilePath = qm::ProgramFilePath(state.programPath, "cfg");
    state.tipsFilePath = qm::ProgramDirectoryOf(state.programPath) + kTipsFileName;
    // Every start writes the entries again, so that a moved program is found.
    RegisterEditor(state.programPath, false);
    shell.RunMainDialog(state);
    return StartOutcome::Ran;
}

// After the main dialog has closed its patch: the endpoint, the database, the libraries.
void Exit(EditorState& state, EditorShell& shell) {
    if (state.instanceEndpoint) {
        shell.StopServingInstanceEndpoint();
        state.instanceEndpoint.reset();
    }
    if (state.database != nullptr) {
        state.packLib->FFLCloseDatabase(state.database);
        state.database = nullptr;
    }
    state.patchLib.Unbind();
    state.packLib.Unbind();
}

}  // namespace

StartOutcome RunPatchBench(const EditorStartOptions& options, EditorShell& shell) {
    EditorState state;
    state.programPath = options.programPath;
    state.commandLine = ParseCommandLine(options.commandLine);
    const StartOutcome outcome = Start(state, options, shell);
    Exit(state, shell);
    return outcome;
}

bool ShowsTipAtStart(const EditorState& state) {
    if (state.commandLine.noSplash) {
        return false;
    }
    return ProfileSettings(state.settingsFilePath).Read(kShowTip) != 0;
}

}  // namespace patchbench
