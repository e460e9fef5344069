#include "suite/game_location.h"

#include <cstdlib>

#include "platform/ascii.h"
#include "platform/file_attributes.h"
#include "platform/file_search.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "suite/game.h"
#include "suite/wine_prefixes.h"

namespace suite {
namespace {

#if defined(_WIN32)
constexpr char kSearchPathSeparator = ';';
constexpr const char* kDirectorySeparators = "\\/";
#else
constexpr char kSearchPathSeparator = ':';
// A backslash is an ordinary character in a Linux file name.
constexpr const char* kDirectorySeparators = "/";
#endif

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool IsUsableProgram(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::uint32_t attributes = qm::ReadFileAttributes(path);
    return attributes != qm::kInvalidFileAttributes &&
           (attributes & qm::kFileAttributeDirectory) == 0;
}

std::optional<std::string> SearchOnPath(const std::string& searchPath) {
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(kSearchPathSeparator, start);
        if (end == std::string::npos) {
            end = searchPath.size();
        }
        const std::string directory = searchPath.substr(start, end - start);
        // An empty entry would mean the current directory, which is no place for the game.
        if (!directory.empty()) {
            if (auto found = qm::SearchFile(directory, kGameProgram, "")) {
                return found;
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

// Asks until the user picks an existing "AvP.exe" or cancels.
std::optional<std::string> AskUser(GameLocationFrontEnd& frontEnd, const std::string& title) {
    qm::ShowMessageBox(kGameNotFoundText, title, qm::MessageBoxButtons::Ok,
                       qm::MessageBoxIcon::Information);
    while (auto chosen = frontEnd.AskForGameProgram()) {
        if (IsGameProgramName(*chosen) && IsUsableProgram(*chosen)) {
            return chosen;
        }
        frontEnd.Beep();
    }
    return std::nullopt;
}

}  // namespace

bool IsGameProgramName(std::string_view path) {
    const std::size_t slash = path.find_last_of(kDirectorySeparators);
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return qm::EqualsNoCase(name, kGameProgram);
}

GameSearchPlaces DefaultSearchPlaces() {
    GameSearchPlaces places;
    places.searchPath = Environment("PATH");
#if !defined(_WIN32)
    places.winePrefixes = CandidateWinePrefixes(Environment("HOME"), Environment("WINEPREFIX"));
#endif
    return places;
}

std::optional<GameLocation> LocateGame(GameLocationFrontEnd& frontEnd,
                                       const GameSearchPlaces& places, const std::string& title) {
    GameLocation location;
    location.directory =
        qm::RegistryGetString(qm::RegistryRoot::LocalMachine, kGameRegistryKey, kGamePathValue)
            .value_or("");
    if (!location.directory.empty()) {
        location.program = qm::SearchFile(location.directory, kGameProgram, "").value_or("");
    }
    bool changed = false;
    if (!IsUsableProgram(location.program)) {
        changed = true;
        std::optional<std::string> found = SearchOnPath(places.searchPath);
        if (!found) {
            found = FindGameInWinePrefixes(places.winePrefixes);
        }
        if (!found) {
            found = AskUser(frontEnd, title);
        }
        if (!found) {
            return std::nullopt;
        }
        location.program = *found;
    }
    if (changed) {
        const std::size_t slash = location.program.find_last_of(kDirectorySeparators);
        if (slash == std::string::npos) {
            return std::nullopt;
        }
        location.directory = location.program.substr(0, slash);
        qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kGameRegistryKey, kGamePathValue,
                              location.directory);
    }
    if (location.directory.empty() ||
        (location.directory.back() != '\\' && location.directory.back() != '/')) {
        location.directory += qm::kPathSeparator;
    }
    return location;
}

}  // namespace suite
