// The texts the browser shows, word for word as the users know them.
#pragma once

// One definition each of the names shared with start-up: the same name defined twice with
// different types is two objects the linker may confuse. The settings the browser reads and
// writes are TexBench's settings table, with their defaults.
#include "texbench/startup/product_name.h"
#include "texbench/startup/settings.h"

namespace texbench {

inline constexpr const char* kNoSelection = "[no selection]";  // STRING 5
inline constexpr const char* kDatabaseFailed =
    "Failed to open the Fastfile database!";  // STRING 12
inline constexpr const char* kOpenFastfileFilter =
    "Rebellion Fastfile (*.ffl)|*.ffl||||";                         // STRING 35
inline constexpr const char* kOpenFastfileTitle = "Open Fastfile";  // STRING 36
inline constexpr const char* kFolderPropertiesCaption = "Folder Properties";
inline constexpr const char* kImageInfoFormat = "%d * %d pixel, %d bpp";
inline constexpr const char* kTransparentSuffix = " (transparent)";

// The stand-in database entry of the game's sound Fastfile.
inline constexpr const char* kSoundEntryPath = "sound\\Common";
inline constexpr const char* kSoundEntryFile = "Common.ffl";

}  // namespace texbench
