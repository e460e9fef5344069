#include "suite/single_instance.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <spawn.h>
extern char** environ;
#endif

#include <thread>
#include <vector>

#include "platform/registry.h"
#include "suite/program_start.h"

namespace suite {
namespace {

// How often a started tool is asked whether it listens yet.
constexpr std::chrono::milliseconds kPollInterval{25};

bool WaitUntilListening(std::string_view endpoint, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!qm::IpcIsListening(endpoint)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

}  // namespace

bool HandOverToRunningInstance(std::string_view endpoint, const std::string& handOverText,
                               std::chrono::milliseconds timeout) {
    const std::string restore = kRestoreCommand;
    if (!qm::IpcSend(endpoint, {kSysCommandMessage, {restore.begin(), restore.end()}}, timeout)) {
        return false;
    }
    if (!handOverText.empty()) {
        std::vector<unsigned char> data(handOverText.begin(), handOverText.end());
        data.push_back(0);
        qm::IpcSend(endpoint, {kCopyDataMessage, std::move(data)}, timeout);
    }
    return true;
}

InstanceRequest InterpretInstanceMessage(const qm::IpcMessage& message) {
    InstanceRequest request;
    const std::string data(message.data.begin(), message.data.end());
    if (message.kind == kSysCommandMessage && data == kRestoreCommand) {
        request.kind = InstanceRequest::Kind::Restore;
    } else if (message.kind.rfind(kCopyDataMessage, 0) == 0) {
        request.kind = InstanceRequest::Kind::Open;
        request.data = data;
    } else if (message.kind == kSettingChangeMessage || message.kind == kSettingChangeNewMessage) {
        request.kind = InstanceRequest::Kind::Reload;
    } else if (message.kind == kCloseMessage) {
        request.kind = InstanceRequest::Kind::Close;
    }
    return request;
}

int BroadcastFastfilesChanged(std::chrono::milliseconds timeout) {
    const std::string section = kChangeSection;
    return qm::IpcBroadcast({kSettingChangeMessage, {section.begin(), section.end()}}, timeout);
}

bool StartToolProgram(const std::string& program) {
#if defined(_WIN32)
    const std::string quoted = "\"" + program + "\"";
    return _spawnlp(_P_NOWAIT, program.c_str(), quoted.c_str(), "-nosplash", nullptr) != -1;
#else
    std::string name = program;
    std::string argument = "-nosplash";
    char* argv[] = {name.data(), argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, name.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    ReapWhenEnded(child);
    return true;
#endif
}

bool FindOrStartTool(const SiblingTool& tool, std::chrono::milliseconds timeout) {
    if (qm::IpcIsListening(tool.windowClass)) {
        return true;
    }
    const std::string registered =
        qm::RegistryGetString(qm::RegistryRoot::LocalMachine, tool.programKey, "").value_or("");
    const bool started =
        (!registered.empty() && StartToolProgram(registered)) || StartToolProgram(tool.programName);
    return started && WaitUntilListening(tool.windowClass, timeout);
}

}  // namespace suite
