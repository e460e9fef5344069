#include "patchapply/target_paths.h"

#include <string_view>

namespace patchapply {

std::vector<std::string> SplitTargetPaths(const char* list) {
    std::vector<std::string> paths;
    if (list == nullptr) {
        return paths;
    }
    std::string_view rest(list);
    while (!rest.empty()) {
        const std::size_t bar = rest.find('|');
        const std::string_view piece = rest.substr(0, bar);
        if (!piece.empty()) {
            paths.emplace_back(piece);
        }
        if (bar == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(bar + 1);
    }
    return paths;
}

std::size_t CountTargetPaths(const char* list) {
    return SplitTargetPaths(list).size();
}

}  // namespace patchapply
