#include "patchbench/engine/instance_protocol.h"

#include <cstring>

#include "patchbench/engine/command_line.h"

namespace patchbench {

EditorRequest InterpretEditorMessage(const qm::IpcMessage& message) {
    EditorRequest request;
    const std::vector<unsigned char>& data = message.data;
    if (message.kind == suite::kSysCommandMessage &&
        std::string(data.begin(), data.end()) == suite::kRestoreCommand) {
        request.kind = EditorRequest::Kind::Restore;
    } else if (message.kind == kOpenPatchKind || message.kind == suite::kCopyDataMessage) {
        if (!data.empty() && data.size() <= kLongestOpenMessage) {
            const void* nul = std::memchr(data.data(), 0, data.size());
            const auto end =
                nul != nullptr ? static_cast<const unsigned char*>(nul) : data.data() + data.size();
            request.path.assign(data.data(), end);
            request.kind = EditorRequest::Kind::OpenPatch;
        }
    } else if (message.kind == kReceiveItemsKind) {
        if (data.size() > 8) {
            request.block = data;
            request.kind = EditorRequest::Kind::ReceiveItems;
        }
    } else if (message.kind == suite::kCloseMessage) {
        request.kind = EditorRequest::Kind::Close;
    }
    return request;
}

bool HandOverToRunningEditor(const std::string& commandLine, std::chrono::milliseconds timeout) {
    return suite::HandOverToRunningInstance(kInstanceName, WithoutNoSplash(commandLine), timeout);
}

}  // namespace patchbench
