// Searching the game's Fastfiles for other items of one file name, so that a patch item can
// replace every copy of a texture or sound the game keeps in more than one Fastfile. Only the
// Fastfiles' directories are read (FFLParseArchive), never their item data.
#pragma once

#include <string>
#include <vector>

#include "packlib/packlib.h"

namespace patchbench {

enum class SearchCategory { Textures, Sounds };

// What the search window shows while the Fastfiles are read; the default does nothing, for a
// search without a window.
class SearchProgress {
  public:
    virtual ~SearchProgress() = default;
    virtual void Begin(int steps) { (void)steps; }
    virtual void Show(const std::string& entryPath) { (void)entryPath; }
    virtual void Step() {}
    virtual void End() {}
};

// The archive the sounds without a database entry of their own live in, searched after the
// database's entries and named "sound\Common" in the window.
inline constexpr char kCommonSoundArchive[] = "Common.ffl";
inline constexpr char kCommonSoundEntry[] = "sound\\Common";

// The paths of the items whose file name (the part after the last backslash) is `fileName`,
// in any letter case: at most one item per Fastfile, the first in its item order, Fastfiles in
// database order. Textures search the entries whose path begins with "graphics", sounds those
// that begin with "sound" and then "Common.ffl" (unless an entry named it already, since one
// Fastfile gives one match). A Fastfile that cannot be parsed is skipped.
std::vector<std::string> SearchFastfiles(const PACKLIBEXPORT& lib, FFLDB* database,
                                         const std::string& fileName, SearchCategory category,
                                         SearchProgress& progress);

}  // namespace patchbench
