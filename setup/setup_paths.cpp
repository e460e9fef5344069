#include "setup/setup_paths.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "platform/ascii.h"
#include "platform/file_search.h"

namespace qm::setup {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

PathClass ClassifyPath(std::string_view path) {
    if (path.empty()) {
        return PathClass::Empty;
    }
    const char letter = LowerAscii(path[0]);
    if (letter >= 'a' && letter <= 'z' && path.size() >= 2 && path[1] == ':' &&
        (path.size() == 2 || IsSeparator(path[2]))) {
        return PathClass::DriveAbsolute;
    }
    if (path.size() > 2 &&
        ((path[0] == '\\' && path[1] == '\\') || (path[0] == '/' && path[1] == '/'))) {
        return PathClass::Network;
    }
    static constexpr std::array<std::string_view, 6> kSchemes = {
        "http:", "file:", "ftp:", "gopher:", "mailto:", "res:"};
    if (std::any_of(kSchemes.begin(), kSchemes.end(),
                    [&](std::string_view scheme) { return StartsWithNoCase(path, scheme); })) {
        return PathClass::Url;
    }
#if !defined(_WIN32)
    if (path[0] == '/') {
        return PathClass::Rooted;
    }
#endif
    return PathClass::Relative;
}

std::string WithTrailingSeparator(std::string path) {
    if (!path.empty() && !IsSeparator(path.back())) {
        path += kPathSeparator;
    }
    return path;
}

std::string NativePath(std::string path) {
#if !defined(_WIN32)
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}

std::string JoinToBase(std::string_view base, std::string_view relative) {
    if (!relative.empty() && IsSeparator(relative.front())) {
        relative.remove_prefix(1);
    }
    std::string joined = WithTrailingSeparator(std::string(base));
    joined += relative;
    return joined;
}

std::string ResolvePath(std::string_view base, std::string_view value) {
    switch (ClassifyPath(value)) {
        case PathClass::Empty:
            return {};
        case PathClass::Url:
            return std::string(value);
        case PathClass::Relative:
            return NativePath(JoinToBase(base, value));
        default:
            return NativePath(std::string(value));
    }
}

std::string FileNamePart(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool MakeDirectoryChain(const std::string& path, std::vector<std::string>& made) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> missing;
    for (fs::path p = fs::path(path).lexically_normal(); !p.empty() && !fs::exists(p, ec);
         p = p.parent_path()) {
        if (p.has_filename()) {
            missing.push_back(p);
        }
        if (p == p.parent_path()) {
            break;
        }
    }
    fs::create_directories(path, ec);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (fs::is_directory(*it, ec)) {
            made.push_back(WithTrailingSeparator(it->string()));
        }
    }
    return !path.empty() && fs::is_directory(path, ec);
}

}  // namespace qm::setup
