// A stand-in for a tool of the suite that FindOrStartTool starts: it writes its arguments to
// $QM_STUB_LOG, listens at the endpoint $QM_STUB_ENDPOINT until a message arrives or a few
// seconds have passed, and ends.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/ipc.h"

int main(int argc, char** argv) {
    const char* log = std::getenv("QM_STUB_LOG");
    const char* endpoint = std::getenv("QM_STUB_ENDPOINT");
    if (log == nullptr || endpoint == nullptr) {
        return 2;
    }
    {
        std::ofstream out(log);
        for (int i = 1; i < argc; ++i) {
            out << argv[i] << (i + 1 < argc ? " " : "");
        }
    }
    auto listener = qm::IpcListener::Listen(endpoint);
    if (!listener) {
        return 1;
    }
    listener->Receive(std::chrono::seconds(10));
    return 0;
}
