#include "patchbench/engine/target_paths.h"

#include <algorithm>
#include <cstdio>

#include "patchbench/engine/editor_texts.h"
#include "platform/ascii.h"
#include "platform/message_box.h"

namespace patchbench {
namespace {

std::string_view TrimBars(std::string_view list) {
    const std::size_t first = list.find_first_not_of('|');
    if (first == std::string_view::npos) {
        return {};
    }
    return list.substr(first, list.find_last_not_of('|') - first + 1);
}

void Inform(const std::string& text) {
    qm::ShowMessageBox(text, kProgramTitle, qm::MessageBoxButtons::Ok,
                       qm::MessageBoxIcon::Information);
}

bool HasRow(const std::vector<std::string>& rows, const std::string& path) {
    return std::any_of(rows.begin(), rows.end(),
                       [&](const std::string& row) { return qm::EqualsNoCase(row, path); });
}

}  // namespace

std::vector<std::string> SplitTargetPaths(std::string_view list) {
    list = TrimBars(list);
    std::vector<std::string> rows;
    if (list.empty()) {
        return rows;
    }
    std::size_t start = 0;
    for (std::size_t bar = list.find('|'); bar != std::string_view::npos;
         bar = list.find('|', start)) {
        rows.emplace_back(list.substr(start, bar - start));
        start = bar + 1;
    }
    rows.emplace_back(list.substr(start));
    return rows;
}

std::string SearchedFileName(std::string_view list) {
    const std::size_t first = list.find_first_not_of('|');
    if (first == std::string_view::npos) {
        return {};
    }
    std::string_view path = list.substr(first);
    path = path.substr(0, path.find('|'));
    const std::size_t backslash = path.rfind('\\');
    return std::string(backslash == std::string_view::npos ? path : path.substr(backslash + 1));
}

FindCounts FindOtherTargets(std::vector<std::string>& rows, std::string_view targetPathList,
                            SearchCategory category, const PACKLIBEXPORT& lib, FFLDB* database,
                            SearchProgress& progress) {
    const std::vector<std::string> paths =
        SearchFastfiles(lib, database, SearchedFileName(targetPathList), category, progress);
    FindCounts counts;
    if (paths.empty()) {
        Inform(kNothingFoundText);
        return counts;
    }
    for (const std::string& path : paths) {
        ++counts.found;
        if (!HasRow(rows, path)) {
            rows.insert(rows.begin(), path);
            ++counts.added;
        }
    }
    char text[sizeof kFoundAndAddedText + 40];
    std::snprintf(text, sizeof text, kFoundAndAddedText, counts.found, counts.added);
    Inform(text);
    return counts;
}

}  // namespace patchbench
