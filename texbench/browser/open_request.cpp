#include "texbench/browser/open_request.h"

#include "texbench/browser/folder_tree.h"

namespace texbench {
namespace {

constexpr std::string_view kDatabaseName = "ffinfo.txt";

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

OpenRequest ParseOpenRequest(std::string_view commandLine) {
    std::string text(commandLine);
    std::size_t at = text.find("-nosplash");
    if (at == std::string::npos) {
        at = text.find("/nosplash");
    }
    if (at != std::string::npos) {
        text.erase(at, 9);
    }
    OpenRequest request;
    request.path = TrimBlanks(text);
    if (request.path.empty()) {
        return request;
    }
    const bool database =
        request.path.size() >= kDatabaseName.size() &&
        EqualsIgnoringCase(
            std::string_view(request.path).substr(request.path.size() - kDatabaseName.size()),
            kDatabaseName);
    request.kind = database ? OpenRequest::Kind::Database : OpenRequest::Kind::Fastfile;
    return request;
}

}  // namespace texbench
