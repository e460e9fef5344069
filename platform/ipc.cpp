#include "platform/ipc.h"

#if !defined(_WIN32)
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace qm {
namespace {

constexpr char kSuffix[] = ".ipc";
constexpr std::uint32_t kMaxPart = 64u << 20;  // a transfer block of many textures fits

using Clock = std::chrono::steady_clock;

// Window class names may hold characters a file name cannot.
std::string EndpointPath(std::string_view name) {
    std::string file;
    for (char c : name) {
        file += (c == '/' || c == '\0') ? '_' : c;
    }
    return IpcDirectory() + "/" + file + kSuffix;
}

bool FillAddress(const std::string& path, sockaddr_un* address) {
    std::memset(address, 0, sizeof(*address));
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof(address->sun_path)) {
        return false;
    }
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
    pollfd p{fd, events, 0};
    int result;
    do {
        result = poll(&p, 1, RemainingMs(deadline));
    } while (result < 0 && errno == EINTR);
    return result > 0 && (p.revents & events) != 0;
}

bool WriteAll(int fd, const void* data, std::size_t size, Clock::time_point deadline) {
    auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        if (!WaitFor(fd, POLLOUT, deadline))
            return false;
        const ssize_t n = send(fd, bytes, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, std::size_t size, Clock::time_point deadline) {
    auto* bytes = static_cast<unsigned char*>(data);
    while (size > 0) {
        if (!WaitFor(fd, POLLIN, deadline))
            return false;
        const ssize_t n = recv(fd, bytes, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WritePart(int fd, const void* data, std::uint32_t size, Clock::time_point deadline) {
    return WriteAll(fd, &size, sizeof(size), deadline) && WriteAll(fd, data, size, deadline);
}

bool ReadPart(int fd, std::vector<unsigned char>* part, Clock::time_point deadline) {
    std::uint32_t size = 0;
    if (!ReadAll(fd, &size, sizeof(size), deadline) || size > kMaxPart)
        return false;
    part->resize(size);
    return ReadAll(fd, part->data(), size, deadline);
}

int Connect(const std::string& path) {
    sockaddr_un address;
    if (!FillAddress(path, &address))
        return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendTo(const std::string& path, const IpcMessage& message, std::chrono::milliseconds timeout) {
    const int fd = Connect(path);
    if (fd < 0)
        return false;
    const auto deadline = Clock::now() + timeout;
    unsigned char ack = 0;
    const bool sent = WritePart(fd, message.kind.data(),
                                static_cast<std::uint32_t>(message.kind.size()), deadline) &&
                      WritePart(fd, message.data.data(),
                                static_cast<std::uint32_t>(message.data.size()), deadline) &&
                      ReadAll(fd, &ack, 1, deadline);
    close(fd);
    return sent && ack == 1;
}

}  // namespace

std::string IpcDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string directory = runtime != nullptr && runtime[0] != '\0'
                                ? std::string(runtime) + "/quillmark-ipc"
                                : "/tmp/quillmark-ipc-" + std::to_string(getuid());
    mkdir(directory.c_str(), 0700);
    return directory;
}

std::unique_ptr<IpcListener> IpcListener::Listen(std::string_view name, std::string* error) {
    const std::string path = EndpointPath(name);
    auto fail = [&](const std::string& why) -> std::unique_ptr<IpcListener> {
        if (error != nullptr)
            *error = why;
        return nullptr;
    };
    if (const int other = Connect(path); other >= 0) {
        close(other);
        return fail("another program listens at " + path);
    }
    unlink(path.c_str());  // left behind by a program that ended
    sockaddr_un address;
    if (!FillAddress(path, &address))
        return fail("endpoint path too long: " + path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(std::strerror(errno));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(fd, 8) != 0) {
        const std::string why = std::strerror(errno);
        close(fd);
        return fail("cannot listen at " + path + ": " + why);
    }
    return std::make_unique<IpcListener>(fd, path);
}

IpcListener::~IpcListener() {
    close(fd_);
    unlink(path_.c_str());
}

std::optional<IpcMessage> IpcListener::Receive(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (WaitFor(fd_, POLLIN, deadline)) {
        const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        // A sender gets a second at most to deliver what it started, whatever our own wait.
        const auto readDeadline = Clock::now() + std::chrono::seconds(1);
        std::vector<unsigned char> kind;
        IpcMessage message;
        const bool read =
            ReadPart(client, &kind, readDeadline) && ReadPart(client, &message.data, readDeadline);
        if (read) {
            const unsigned char ack = 1;
            WriteAll(client, &ack, 1, readDeadline);
        }
        close(client);
        if (read) {
            message.kind.assign(kind.begin(), kind.end());
            return message;
        }
    }
    return std::nullopt;
}

bool IpcIsListening(std::string_view name) {
    const int fd = Connect(EndpointPath(name));
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

bool IpcSend(std::string_view name, const IpcMessage& message, std::chrono::milliseconds timeout) {
    return SendTo(EndpointPath(name), message, timeout);
}

int IpcBroadcast(const IpcMessage& message, std::chrono::milliseconds timeout) {
    int delivered = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(IpcDirectory(), error)) {
        if (entry.path().extension() == kSuffix && entry.is_socket(error)) {
            delivered += SendTo(entry.path().string(), message, timeout) ? 1 : 0;
        }
    }
    return delivered;
}

}  // namespace qm

#else

namespace qm {
// Windows keeps its window messages; this transport is not built there yet.
std::string IpcDirectory() {
    return {};
}
std::unique_ptr<IpcListener> IpcListener::Listen(std::string_view, std::string* error) {
    if (error != nullptr)
        *error = "not available on this platform";
    return nullptr;
}
IpcListener::~IpcListener() = default;
std::optional<IpcMessage> IpcListener::Receive(std::chrono::milliseconds) {
    return std::nullopt;
}
bool IpcIsListening(std::string_view) {
    return false;
}
bool IpcSend(std::string_view, const IpcMessage&, std::chrono::milliseconds) {
    return false;
}
int IpcBroadcast(const IpcMessage&, std::chrono::milliseconds) {
    return 0;
}
}  // namespace qm

#endif
