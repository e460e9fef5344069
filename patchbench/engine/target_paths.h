// The target paths of a patch item as the properties dialogs show them, one row a path, and
// Find, which adds the other items of the same file name that the game's Fastfiles hold.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "packlib/packlib.h"
#include "patchbench/engine/fastfile_search.h"

namespace patchbench {

// The rows of a target path list: every leading and trailing "|" removed, then split at each
// "|", in order ("|a\b.rim||" is the one row "a\b.rim").
std::vector<std::string> SplitTargetPaths(std::string_view list);

// The file name Find looks for: the list's first path (after any leading "|"), from its last
// backslash on.
std::string SearchedFileName(std::string_view list);

struct FindCounts {
    int found = 0;
    int added = 0;
};

// Searches the Fastfiles for the file name of the item's first target and puts every path
// found that no row holds yet (in any letter case) at the top of the rows. Tells the user the
// outcome: that nothing was found, or how many paths were found and how many of them added.
FindCounts FindOtherTargets(std::vector<std::string>& rows, std::string_view targetPathList,
                            SearchCategory category, const PACKLIBEXPORT& lib, FFLDB* database,
                            SearchProgress& progress);

}  // namespace patchbench
