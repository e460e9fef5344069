// How the editor's single instance is reached: the endpoint other programs find it by, the
// messages it takes there, and a second start handing its command line to the first.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/ipc.h"
#include "suite/single_instance.h"

namespace patchbench {

inline constexpr const char* kInstanceName = suite::kPatchBenchWindowClass;
// Message kinds at the endpoint besides the suite's restore and close: a NUL-terminated patch
// path (also under the plain kind a second start sends) and a patch item transfer block.
inline constexpr char kOpenPatchKind[] = "WM_COPYDATA 1";
inline constexpr const char* kReceiveItemsKind = suite::kTransferBlockMessage;
// The largest patch path message: MAX_PATH bytes with the terminator.
inline constexpr std::size_t kLongestOpenMessage = 260;

struct EditorRequest {
    enum class Kind { Restore, OpenPatch, ReceiveItems, Close, Unknown };
    Kind kind = Kind::Unknown;
    std::string path;                  // OpenPatch: up to the terminator
    std::vector<unsigned char> block;  // ReceiveItems
};

// A patch path must be 1 to 260 bytes and a transfer block more than 8; anything else, and
// any other kind, is Unknown and does nothing.
EditorRequest InterpretEditorMessage(const qm::IpcMessage& message);

// The second start's part: asks the running editor to come to the front and, when a path
// remains of the command line after "-nosplash", to open it. False when nobody took the first
// message.
bool HandOverToRunningEditor(const std::string& commandLine, std::chrono::milliseconds timeout);

}  // namespace patchbench
