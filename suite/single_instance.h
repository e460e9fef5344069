// The protocol between the suite's running programs: each single-instance tool listens at an
// endpoint named after its window class; a second start hands its command line to the first
// and ends; PatchApply tells every tool that Fastfiles changed; and a tool that needs another
// finds it running or starts it. Sender and receiver both use the names below, so that a
// message kind is spelled in one place only.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/ipc.h"

namespace suite {

// Endpoint names: the window classes by which the tools find each other.
inline constexpr char kTexBenchWindowClass[] = "Quillmark - Skinwright";
inline constexpr char kPatchBenchWindowClass[] = "Quillmark - FastFile Patch Editor";

// Message kinds, named after the window messages they stand for.
inline constexpr char kSysCommandMessage[] = "WM_SYSCOMMAND";  // data: kRestoreCommand
inline constexpr char kRestoreCommand[] = "SC_RESTORE";
// Data handed over: a second start's command line (NUL-terminated). A kind that continues
// with a blank and a number carries that number as dwData ("WM_COPYDATA 2": a transfer block).
inline constexpr char kCopyDataMessage[] = "WM_COPYDATA";
inline constexpr char kTransferBlockMessage[] = "WM_COPYDATA 2";
// Settings changed; PatchApply sends it with kChangeSection after an installation.
inline constexpr char kSettingChangeMessage[] = "WM_WININICHANGE";
inline constexpr char kSettingChangeNewMessage[] = "WM_SETTINGCHANGE";
inline constexpr char kChangeSection[] = "Quillmark";
inline constexpr char kCloseMessage[] = "WM_CLOSE";

// The second start's part: asks the instance at `endpoint` to come to the front and, when
// `handOverText` is not empty, to open it. False when no instance took the first message.
bool HandOverToRunningInstance(std::string_view endpoint, const std::string& handOverText,
                               std::chrono::milliseconds timeout);

// What a message at a single-instance endpoint asks of the program's main dialog.
struct InstanceRequest {
    enum class Kind { Restore, Open, Reload, Close, Unknown };
    Kind kind = Kind::Unknown;
    std::string data;  // Open: the bytes as sent, including their terminating NUL
};
// dwData of a handed-over block is not looked at: every kCopyDataMessage kind is Open.
InstanceRequest InterpretInstanceMessage(const qm::IpcMessage& message);

// Tells every running tool that the Fastfiles changed (after an installation); how many
// took the message.
int BroadcastFastfilesChanged(std::chrono::milliseconds timeout);

// Starts a program, detached, with "-nosplash". A name without a directory is looked for on
// the search path. False when it could not be started.
bool StartToolProgram(const std::string& program);

// How one tool finds another: its window class, the registry key whose unnamed value is its
// full program path, and its program name on the search path.
struct SiblingTool {
    const char* windowClass;
    const char* programKey;  // below HKEY_LOCAL_MACHINE
    const char* programName;
};
inline constexpr SiblingTool kTexBenchTool{kTexBenchWindowClass, "Software\\Quillmark\\Skinwright",
                                           "texbench"};
inline constexpr SiblingTool kPatchBenchTool{
    kPatchBenchWindowClass, "Software\\Quillmark\\FastFile Patch Editor", "patchbench"};

// True at once when the tool listens at its endpoint. Otherwise starts it with "-nosplash"
// from its registry key's program path, else by its program name, and waits until it
// listens, at most `timeout`. False when it could not be started or did not listen in time.
bool FindOrStartTool(const SiblingTool& tool, std::chrono::milliseconds timeout);

}  // namespace suite
