#include "patchapply/failure_details.h"

namespace patchapply {
namespace {

// The last non-empty line of the captured text, stripped of its severity prefix.
std::string LastDiagnostic(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) {
        return std::string();
    }
    const std::size_t newline = text.rfind('\n', end);
    const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
    std::string line = text.substr(start, end + 1 - start);
    for (const std::string prefix : {"ERROR: ", "WARNING: "}) {
        if (line.starts_with(prefix)) {
            return line.substr(prefix.size());
        }
    }
    return line;
}

}  // namespace

std::string FailureDetails::Describe(const std::string& what) const {
    const std::string cause = LastDiagnostic(capture_.Text());
    return what + ": " + (cause.empty() ? "no cause given" : cause);
}

std::string Named(const char* kind, const std::string& name) {
    return std::string(kind) + " \"" + name + "\"";
}

}  // namespace patchapply
