// The game location step: where the game is installed, so that PackLib finds its Fastfiles.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "suite/game.h"

namespace suite {

inline constexpr char kGameNotFoundText[] =
    "ERROR: Cannot find Aliens versus Predator!\nPlease specify the Path to AVP.EXE in the "
    "following Dialog.";
inline constexpr char kGameProgramFilter[] =
    "Aliens versus Predator|AvP.exe|Program Files|*.exe|All Files|*.*||||";

// The user's part of the step: the file dialog that asks for "AvP.exe".
class GameLocationFrontEnd {
  public:
    virtual ~GameLocationFrontEnd() = default;
    // The open-file dialog (file name "AvP.exe", filter kGameProgramFilter, existing files
    // only). The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> AskForGameProgram() = 0;
    // A choice was refused; the dialog stays open (here: is asked again).
    virtual void Beep() {}
};

struct GameLocation {
    std::string directory;  // ends with a separator
    std::string program;    // full path of "AvP.exe"
};

// True when the file name part of `path` is "AvP.exe" in any letter case.
bool IsGameProgramName(std::string_view path);

// Where to look before asking the user, besides the registry and the search path.
struct GameSearchPlaces {
    std::string searchPath;                 // the standard search path ($PATH)
    std::vector<std::string> winePrefixes;  // see CandidateWinePrefixes()
};
// From the environment: $PATH, $HOME, $WINEPREFIX.
GameSearchPlaces DefaultSearchPlaces();

// Runs the step: the game's registry entry, else the search path, else the Wine and Proton
// prefixes, else the user (after the "not found" message, with the information icon, titled
// `title`). A location found anywhere but in the entry is written back to its "Path". Nothing
// when the user cancels.
std::optional<GameLocation> LocateGame(GameLocationFrontEnd& frontEnd,
                                       const GameSearchPlaces& places, const std::string& title);

}  // namespace suite
