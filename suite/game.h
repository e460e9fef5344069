// What every program of the suite knows about the game itself: where it registers its
// installation, the program file that marks that installation, and the Fastfile that holds
// its sounds.
#pragma once

namespace suite {

// HKEY_LOCAL_MACHINE key of the game; its "Path" value names the game directory.
inline constexpr char kGameRegistryKey[] = "Software\\Fox Interactive\\Aliens versus Predator";
// The same key as a 32-bit program on 64-bit Windows writes it (seen in Wine prefixes).
inline constexpr char kGameRegistryKeyWow64[] =
    "Software\\Wow6432Node\\Fox Interactive\\Aliens versus Predator";
inline constexpr char kGamePathValue[] = "Path";
// The game's program: a directory that holds it is a game directory.
inline constexpr char kGameProgram[] = "AvP.exe";
// The one Fastfile in the sound layout; every other one is found through the database.
inline constexpr char kSoundFastfile[] = "COMMON.FFL";

}  // namespace suite
