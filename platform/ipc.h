#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/export.h"

namespace qm {

// Messages between the suite's running programs on one machine. A single-instance tool
// listens at one local endpoint named after its window class ("Quillmark - Skinwright");
// others send it a message there (second-start hand-over, item transfer blocks) or
// broadcast one to every listening tool (e.g. kind "WM_WININICHANGE", text "Quillmark").
// A sender waits until the listener has taken the message, at most its timeout.
struct IpcMessage {
    std::string kind;
    std::vector<unsigned char> data;
};

// Where the endpoints live: $XDG_RUNTIME_DIR/quillmark-ipc, else a per-user directory in /tmp.
QM_PLATFORM_API std::string IpcDirectory();

class QM_PLATFORM_API IpcListener {
  public:
    // Listens at the endpoint of that name. Null, with *error, when another program is
    // listening there already (the caller is then the second instance) or the endpoint
    // cannot be made. An endpoint left behind by a program that ended is taken over.
    static std::unique_ptr<IpcListener> Listen(std::string_view name, std::string* error = nullptr);
    ~IpcListener();
    IpcListener(const IpcListener&) = delete;
    IpcListener& operator=(const IpcListener&) = delete;

    // Waits at most `timeout` for one message and acknowledges it to its sender.
    std::optional<IpcMessage> Receive(std::chrono::milliseconds timeout);
    // The listening descriptor, for callers that wait in their own event loop.
    int Handle() const { return fd_; }

    // Takes over a listening descriptor; Listen() is the way to get one.
    IpcListener(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

  private:
    int fd_;
    std::string path_;
};

// True when a program listens at the endpoint of that name (it is not sent anything).
QM_PLATFORM_API bool IpcIsListening(std::string_view name);
// Sends to one endpoint; false when nobody listens there or it does not answer in time.
QM_PLATFORM_API bool IpcSend(std::string_view name, const IpcMessage& message,
                             std::chrono::milliseconds timeout);
// Sends to every listening endpoint, each with its own timeout; returns how many took it.
QM_PLATFORM_API int IpcBroadcast(const IpcMessage& message, std::chrono::milliseconds timeout);

}  // namespace qm
