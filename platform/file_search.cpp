#include "platform/file_search.h"

#include <algorithm>
#include <filesystem>

#include "platform/ascii.h"

namespace qm {
namespace fs = std::filesystem;

// Windows searches with the system's own functions (win32/file_search_win32.cpp).
#if !defined(_WIN32)
namespace {

// "*" and "?" against a whole name, without regard to ASCII letter case.
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || qm::LowerAscii(pattern[p]) == qm::LowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// A name that starts with "./" or "../" names a file relative to the current directory and
// is not searched for, as with SearchPathA.
bool IsDotRelative(std::string_view name) {
    const auto separator = [](char c) { return c == '/' || c == '\\'; };
    return (name.size() >= 2 && name[0] == '.' && separator(name[1])) ||
           (name.size() >= 3 && name[0] == '.' && name[1] == '.' && separator(name[2]));
}

bool IsRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace
#endif

std::string JoinPath(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && path.back() != '/' && path.back() != '\\') {
        path += kPathSeparator;
    }
    return path + std::string(name);
}

#if !defined(_WIN32)
std::optional<std::string> SearchFile(std::string_view directory, std::string_view name,
                                      std::string_view defaultExtension) {
    if (name.empty()) {
        return std::nullopt;
    }
    std::string fileName(name);
    const fs::path given(fileName);
    if (!given.filename().has_extension()) {
        fileName += defaultExtension;
    }
    const fs::path full = (given.is_absolute() || directory.empty() || IsDotRelative(name))
                              ? fs::path(fileName)
                              : fs::path(JoinPath(directory, fileName));
    if (IsRegularFile(full)) {
        return full.string();
    }
    // Game files keep whatever letter case they were copied with.
    const fs::path parent = full.has_parent_path() ? full.parent_path() : fs::path(".");
    const std::string wanted = full.filename().string();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(parent, ec)) {
        const std::string candidate = entry.path().filename().string();
        if (qm::EqualsNoCase(candidate, wanted) && IsRegularFile(entry.path())) {
            return (full.has_parent_path() ? (full.parent_path() / candidate) : fs::path(candidate))
                .string();
        }
    }
    return std::nullopt;
}

std::vector<std::string> FindFiles(std::string_view directory, std::string_view pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    const fs::path folder = directory.empty() ? fs::path(".") : fs::path(std::string(directory));
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (MatchesWildcard(pattern, name) && IsRegularFile(entry.path())) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}
#endif

}  // namespace qm
