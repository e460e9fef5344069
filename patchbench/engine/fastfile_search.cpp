#include "patchbench/engine/fastfile_search.h"

#include <optional>

#include "platform/ascii.h"

namespace patchbench {
namespace {

const char* CategoryPrefix(SearchCategory category) {
    return category == SearchCategory::Textures ? "graphics" : "sound";
}

// The path of the Fastfile's first item of that file name; nothing when the Fastfile cannot
// be parsed or holds none.
std::optional<std::string> FirstMatch(const PACKLIBEXPORT& lib, const char* fastfile,
                                      const std::string& fileName) {
    // No item has an empty file name that a target could name.
    if (fileName.empty()) {
        return std::nullopt;
    }
    FFLARCHIVE* archive = lib.FFLParseArchive(fastfile);
    if (archive == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> path;
    if (FFLITEM* item = lib.FFLFindItem(archive, fileName.c_str(), true); item != nullptr) {
        if (const char* itemPath = lib.FFLGetItemPath(item); itemPath != nullptr) {
            path = itemPath;
        }
    }
    lib.FFLCloseArchive(archive);
    return path;
}

}  // namespace

std::vector<std::string> SearchFastfiles(const PACKLIBEXPORT& lib, FFLDB* database,
                                         const std::string& fileName, SearchCategory category,
                                         SearchProgress& progress) {
    const bool sounds = category == SearchCategory::Sounds;
    const auto entries = static_cast<int>(lib.FFLGetDbItemCount(database));
    progress.Begin(entries + (sounds ? 1 : 0));
    std::vector<std::string> found;
    bool commonSearched = false;
    for (FFLDBITEM* entry = lib.FFLGetFirstDbItem(database); entry != nullptr;
         entry = lib.FFLGetNextDbItem(entry)) {
        const char* entryPath = lib.FFLGetDbItemPath(entry);
        const char* fastfile = lib.FFLGetDbItemFile(entry);
        progress.Show(entryPath != nullptr ? entryPath : "");
        if (entryPath != nullptr && fastfile != nullptr &&
            qm::StartsWithNoCase(entryPath, CategoryPrefix(category))) {
            commonSearched = commonSearched || qm::EqualsNoCase(fastfile, kCommonSoundArchive);
            if (auto path = FirstMatch(lib, fastfile, fileName)) {
                found.push_back(std::move(*path));
            }
        }
        progress.Step();
    }
    if (sounds) {
        progress.Show(kCommonSoundEntry);
        if (!commonSearched) {
            if (auto path = FirstMatch(lib, kCommonSoundArchive, fileName)) {
                found.push_back(std::move(*path));
            }
        }
        progress.Step();
    }
    progress.End();
    return found;
}

}  // namespace patchbench
