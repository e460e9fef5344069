// Finding and starting the suite's other programs from the editor: the patch installer with
// the patch, and the tools that send items (TexBench, the sound editor Echowright). A running
// tool is found at its single-instance endpoint.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "suite/program_start.h"
#include "suite/single_instance.h"

namespace patchbench {

class PatchEditor;

// A tool that sends items, how the suite finds or starts it, and what the editor says when
// it cannot.
struct SiblingTool {
    suite::SiblingTool tool;
    const char* missingText;
};

inline constexpr SiblingTool kTexBench{suite::kTexBenchTool, "Skinwright could not be found!"};
// The sound editor is no part of the suite; a build without it shows its message.
inline constexpr SiblingTool kEchowright{
    {"Quillmark - Echowright", "Software\\Quillmark\\Echowright", "echowright"},
    "Echowright could not be found!"};

inline constexpr char kInstallerKey[] = "Software\\Quillmark\\FastFile Patch Installer";
inline constexpr char kInstallerProgram[] = "PatchApply.exe";

// How a program is found and started, shared with TexBench.
using suite::FindOnSearchPath;
using suite::PlatformProgramName;
using suite::StartProgram;
// Asks a running tool to come to the front; false when none answers at the endpoint in time.
bool RestoreTool(const std::string& endpoint, std::chrono::milliseconds timeout);

// Brings up the tool: the running one, else the registered program started with "-nosplash",
// else the program on the search path, given `startWait` to listen; then asks it to come to
// the front. False, after its message, when none came up.
bool BringUpSibling(const SiblingTool& tool,
                    std::chrono::milliseconds startWait = std::chrono::milliseconds(1000));

enum class InstallOutcome {
    Declined,  // the save question stopped it, or there is no named patch
    NotFound,  // message shown
    Failed,    // message shown
    Started,   // the editor closes now
};

// The save question, then the installer (registered, else on the search path) started with
// the patch's path.
InstallOutcome InstallPatch(PatchEditor& editor);

}  // namespace patchbench
