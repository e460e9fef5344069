// Finding the game inside Wine and Proton prefixes: on Linux the game is usually installed
// there, and its registry entry lives in the prefix's "system.reg", not in our store.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace suite {

// The prefixes worth a look, existing ones only, each once, in this order: $WINEPREFIX,
// ~/.wine, then every "steamapps/compatdata/<id>/pfx" of the Steam libraries under
// ~/.steam/steam and ~/.local/share/Steam (and the libraries their "libraryfolders.vdf" lists).
std::vector<std::string> CandidateWinePrefixes(const std::string& home,
                                               const std::string& winePrefix);

// The library folders a Steam "libraryfolders.vdf" lists (both its old and its new layout).
std::vector<std::string> ReadSteamLibraryFolders(const std::string& vdfPath);

// A string value of a Wine registry file ("system.reg"); the key is given with single
// backslashes and compared, like the value name, without regard to letter case.
std::optional<std::string> ReadWineRegistryString(const std::string& regFilePath,
                                                  std::string_view key, std::string_view valueName);

// Where a Windows path of the prefix lies on this machine: "C:\Games\AvP" becomes
// "<prefix>/drive_c/Games/AvP", other drive letters go through "<prefix>/dosdevices/<x>:".
// Each component is matched without regard to letter case, as Wine does. Nothing when the
// path has no drive letter or does not exist.
std::optional<std::string> PrefixPathOf(const std::string& prefix, std::string_view windowsPath);

// The full path of "AvP.exe" (any letter case) in the first prefix whose registry names a
// game directory that holds it; the game's key is also looked for below "Wow6432Node".
std::optional<std::string> FindGameInWinePrefixes(const std::vector<std::string>& prefixes);

}  // namespace suite
