// A patch item's target path list: Fastfile item paths separated by "|".
#pragma once

#include <string>
#include <vector>

namespace patchapply {

// The paths in list order. Empty pieces (from "||", a leading or a trailing "|") are
// skipped: an empty path names no item and would only raise a spurious error.
std::vector<std::string> SplitTargetPaths(const char* list);

// The number of paths the installation will visit; sets the progress range.
std::size_t CountTargetPaths(const char* list);

}  // namespace patchapply
