#include "patchbench/engine/instance_protocol.h"

#include <cstring>

#include "patchbench/engine/command_line.h"

namespace patchbench {

EditorRequest InterpretEditorMessage(const qm::IpcMessage& message) {
    EditorRequest request;
    const std::vector<unsigned char>& data = message.data;
    if (message.kind == kRestoreKind && std::string(data.begin(), data.end()) == kRestoreData) {
        request.kind = EditorRequest::Kind::Restore;
    } else if (message.kind == kOpenPatchKind) {
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
    } else if (message.kind == kCloseKind) {
        request.kind = EditorRequest::Kind::Close;
    }
    return request;
}

bool HandOverToRunningEditor(const std::string& commandLine, std::chrono::milliseconds timeout) {
    const std::string restore = kRestoreData;
    if (!qm::IpcSend(kInstanceName, {kRestoreKind, {restore.begin(), restore.end()}}, timeout)) {
        return false;
    }
    const std::string path = WithoutNoSplash(commandLine);
    if (!path.empty()) {
        std::vector<unsigned char> data(path.begin(), path.end());
        data.push_back(0);
        qm::IpcSend(kInstanceName, {kOpenPatchKind, std::move(data)}, timeout);
    }
    return true;
}

}  // namespace patchbench
