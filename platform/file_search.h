#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/export.h"

namespace qm {

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// SearchPathA with one directory as the search path: looks for `name` in `directory`
// (or as given, when `name` is absolute, starts with "./" or "../", or `directory` is empty:
// then relative to the current directory), appending `defaultExtension` (".FFL") only when the
// name's last component has no extension. File names match without regard to letter case, since
// game files keep whatever case they were copied with. Returns the full path as it exists on disk.
QM_PLATFORM_API std::optional<std::string> SearchFile(std::string_view directory,
                                                      std::string_view name,
                                                      std::string_view defaultExtension);

// Names (not paths) of the regular files in `directory` that match a wildcard pattern of
// "*" and "?" ("*.ffl"), without regard to letter case, sorted by name.
QM_PLATFORM_API std::vector<std::string> FindFiles(std::string_view directory,
                                                   std::string_view pattern);

// Joins a directory (with or without trailing separator) and a name.
QM_PLATFORM_API std::string JoinPath(std::string_view directory, std::string_view name);

}  // namespace qm
