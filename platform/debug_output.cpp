#include "platform/debug_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qm {
namespace {

struct CaptureList {
    std::mutex mutex;
    std::vector<DebugCapture*> captures;
};

CaptureList& Captures() {
    static CaptureList list;
    return list;
}

bool EchoToStderr() {
    static const bool echo = std::getenv("QUILLMARK_DEBUG") != nullptr;
    return echo;
}

}  // namespace

void DebugOutput(const char* text) {
    if (text == nullptr) {
        return;
    }
#if defined(_WIN32)
    OutputDebugStringA(text);
#endif
    if (EchoToStderr()) {
        std::fputs(text, stderr);
    }
    CaptureList& list = Captures();
    std::lock_guard lock(list.mutex);
    for (DebugCapture* capture : list.captures) {
        capture->Append(text);
    }
}

DebugCapture::DebugCapture() {
    CaptureList& list = Captures();
    std::lock_guard lock(list.mutex);
    list.captures.push_back(this);
}

DebugCapture::~DebugCapture() {
    CaptureList& list = Captures();
    std::lock_guard lock(list.mutex);
    std::erase(list.captures, this);
}

std::string DebugCapture::Text() const {
    std::lock_guard lock(Captures().mutex);
    return text_;
}

void DebugCapture::Clear() {
    std::lock_guard lock(Captures().mutex);
    text_.clear();
}

void DebugCapture::Append(const char* text) {
    text_ += text;
}

}  // namespace qm
