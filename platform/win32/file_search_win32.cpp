// File search on Windows: the system's own search (SearchPathA) and enumeration
// (FindFirstFileA), which already ignore letter case.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/file_search.h"

namespace qm {

std::optional<std::string> SearchFile(std::string_view directory, std::string_view name,
                                      std::string_view defaultExtension) {
    if (name.empty()) {
        return std::nullopt;
    }
    // An empty directory means the current one, not the system's program search order.
    const std::string path = directory.empty() ? std::string(".") : std::string(directory);
    const std::string file(name);
    const std::string extension(defaultExtension);
    char found[MAX_PATH] = {};
    const DWORD length =
        SearchPathA(path.c_str(), file.c_str(), extension.empty() ? nullptr : extension.c_str(),
                    MAX_PATH, found, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    const DWORD attributes = GetFileAttributesA(found);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return std::string(found, length);
}

std::vector<std::string> FindFiles(std::string_view directory, std::string_view pattern) {
    std::vector<std::string> names;
    const std::string query = JoinPath(directory.empty() ? "." : directory, pattern);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(query.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.emplace_back(entry.cFileName);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace qm
