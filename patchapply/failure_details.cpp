#include "patchapply/failure_details.h"

namespace patchapply {
namespace {

// The last non-empty line of the captured text, stripped of its severity prefix.
std::string LastDiagnostic(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == '\n') {
        --end;
    }
    const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    std::string line = text.substr(start == std::string::npos ? 0 : start + 1,
                                   end - (start == std::string::npos ? 0 : start + 1));
    for (const char* prefix : {"ERROR: ", "WARNING: "}) {
        const std::string p = prefix;
        if (line.compare(0, p.size(), p) == 0) {
            line.erase(0, p.size());
            break;
        }
    }
    return line;
}

}  // namespace

std::string FailureDetails::Describe(const std::string& what, const std::string& fallback) const {
    std::string cause = LastDiagnostic(capture_.Text());
    if (cause.empty()) {
        cause = fallback.empty() ? "no cause given" : fallback;
    }
    return what + ": " + cause;
}

std::string Named(const char* kind, const std::string& name) {
    return std::string(kind) + " \"" + name + "\"";
}

}  // namespace patchapply
