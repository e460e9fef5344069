// Finding and starting the suite's other programs from the editor: the patch installer with
// the patch, and the tools that send items (TexBench, the sound editor Echowright). A running
// tool is found at its single-instance endpoint.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace patchbench {

class PatchEditor;

// Where a sibling tool is looked for, in this order.
struct SiblingTool {
    const char* endpoint;     // its single-instance endpoint (window class)
    const char* registryKey;  // below HKEY_LOCAL_MACHINE; the unnamed value is its program path
    const char* programName;  // Windows name on the search path, "TexBench.exe"
    const char* missingText;  // shown when none of the three finds it
};

inline constexpr SiblingTool kTexBench{"Quillmark - Skinwright", "Software\\Quillmark\\Skinwright",
                                       "TexBench.exe", "Skinwright could not be found!"};
inline constexpr SiblingTool kEchowright{"Quillmark - Echowright",
                                         "Software\\Quillmark\\Echowright", "Echowright.exe",
                                         "Echowright could not be found!"};

inline constexpr char kInstallerKey[] = "Software\\Quillmark\\FastFile Patch Installer";
inline constexpr char kInstallerProgram[] = "PatchApply.exe";

// A program's file name on this platform: "TexBench.exe" is "texbench" on Linux.
std::string PlatformProgramName(const std::string& windowsName);
// The program on the search path ($PATH), or nothing.
std::optional<std::string> FindOnSearchPath(const std::string& windowsName);
// Starts a program detached with these arguments; false when it could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments);
// Asks a running tool to come to the front; false when none answers at the endpoint in time.
bool RestoreTool(const std::string& endpoint, std::chrono::milliseconds timeout);

// Brings up the tool: the running one, else the registered program started with "-nosplash",
// else the program on the search path; each start is given `startWait` to answer. False, after
// its message, when none came up.
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
