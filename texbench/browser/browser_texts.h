// The texts the browser shows, word for word as the users know them.
#pragma once

// One definition each of the names shared with start-up: the same name defined twice with
// different types is two objects the linker may confuse. The settings the browser reads and
// writes are TexBench's settings table, with their defaults.
#include "suite/picture_formats.h"
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

inline constexpr const char* kDeleteQuestion =
    "Are you sure you want to delete the selected File(s) from this archive?";  // STRING 25
inline constexpr const char* kForbiddenCharacters =
    "A filename cannot contain any of the following characters:\n"
    "\t\\ / : * ? \" < > |";  // STRING 11
inline constexpr const char* kNameTooLong = "The specified name is too long!";
// STRING 26
inline constexpr const char* kReplaceOnRename =
    "An item with that name already exists in this archive. Do you want to replace it?";
inline constexpr const char* kSaveFailed = "The Fastfile could not be saved; the change is lost:";

inline constexpr const char* kExportFailed = "Failed to export one or more files!";  // STRING 9
// STRING 13, with "Portable Network Graphics (*.png)" after the five entries the settings'
// "Import Type" and "Export Type" count; the shared table of suite/picture_formats.h.
inline constexpr const char* kImageFilter = suite::kImageFilterText;
inline constexpr const char* kSoundFilter = "Microsoft PCM Wave (*.wav)|*.wav||||";  // STRING 14
inline constexpr const char* kMixedFilter =
    "Rebellion Image File (*.rim)|*.rim|Microsoft PCM Wave (*.wav)|*.wav||||";  // STRING 15

inline constexpr const char* kImportFailed = "Failed to import File.";  // STRING 24
// STRING 16; %1 is the item's name.
inline constexpr const char* kReplaceOnImport =
    "The File '%1' already exists in the archive.\nDo you want to replace it with the file you "
    "selected?";
// STRING 44, also held as a fixed text for Import and Drop.
inline constexpr const char* kMixQuestion =
    "Are you sure you want to mix sound and image resources?";
inline constexpr const char* kImportTitle = "Import";             // STRING 20
inline constexpr const char* kImportImageTitle = "Import Image";  // STRING 21
inline constexpr const char* kImportSoundTitle = "Import Sound";  // STRING 22
inline constexpr const char* kImageSizeFormat = "Width: %d   Height: %d";

// The stand-in database entry of the game's sound Fastfile.
inline constexpr const char* kSoundEntryPath = "sound\\Common";
inline constexpr const char* kSoundEntryFile = "Common.ffl";

}  // namespace texbench
