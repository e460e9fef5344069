// TexBench's side of the patch tools, without a screen: Add to Patch and the Patch button hand
// the selected items to a running PatchBench (started when none runs), and the Patch menu
// starts PatchBench or PatchApply on a patch file.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace texbench {

inline constexpr const char* kInstallerMissing =
    "ERROR: The Fastfile Patch Installer could not be found!";  // STRING 38
inline constexpr const char* kInstallerFailed =
    "ERROR: Failed to start the Fastfile Patch Installer!";  // STRING 39
inline constexpr const char* kEditorMissing =
    "ERROR: The Fastfile Patch Editor could not be found!";  // STRING 40
inline constexpr const char* kEditorFailed =
    "ERROR: Failed to start the Fastfile Patch Editor!";                     // STRING 41
inline constexpr const char* kOpenPatchTitle = "Open Fastfile Patch";        // STRING 42
inline constexpr const char* kInstallPatchTitle = "Install Fastfile Patch";  // STRING 43
inline constexpr const char* kPatchFilter =
    "Quillmark Fastfile Patch (*.kdz)|*.kdz||||";  // STRING 27

enum class PatchHandOver {
    EditorMissing,  // PatchBench neither ran nor came up in time: Add to Patch beeps
    NothingSent,    // PatchBench is up (and asked to the front), but there was no block
    Sent,
    NotAnswered,  // PatchBench did not take the block within the timeout; nothing is said
};

// Add to Patch: finds PatchBench at its endpoint or starts it ("-nosplash", waiting at most
// `timeout` for it to listen), asks it to come to the front and sends the block (when there
// is one) as a "WM_COPYDATA 2" message, waiting at most `timeout` for it to take it.
PatchHandOver AddToPatch(std::span<const std::uint8_t> block, std::chrono::milliseconds timeout);

// The Patch button: as Add to Patch, but a PatchBench that cannot be found or started is
// reported with STRING 41 instead of a beep.
PatchHandOver PatchButton(std::span<const std::uint8_t> block, std::chrono::milliseconds timeout);

// The Patch menu's commands.
enum class PatchTool { New, Open, Install };

// Runs one: the program from its registry key's default value, else its name on the search
// path (not found: STRING 40 or 38); for Open and Install `askPatch` then names the patch
// (nothing: the command ends); the program is started with the patch path, or with no
// parameter for New (failure: STRING 41 or 39). True when a program was started.
bool RunPatchTool(PatchTool tool, const std::function<std::optional<std::string>()>& askPatch);

// The title of the tool's file dialog; null for New, which asks for no file.
const char* PatchToolDialogTitle(PatchTool tool);

}  // namespace texbench
