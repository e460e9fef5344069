// The installer's message texts, word for word as users have always seen them.
#pragma once

namespace patchapply {

inline constexpr const char* kTitle = "Fastfile Patch Installer";
inline constexpr const char* kNoLibrary =
    "Failed to load Fastfile Library.\nMake sure that you have the latest version of "
    "'PackLib.dll' installed!";
inline constexpr const char* kOpenFilter = "Quillmark Fastfile Patch (*.kdz)|*.kdz||||";
inline constexpr const char* kNoPatch = "ERROR: Failed to open Fastfile patch.";
inline constexpr const char* kNoDatabase = "ERROR: Failed to open Fastfile database!";
inline constexpr const char* kCorruptItem =
    "WARNING: The data in this patch is corrupt! One item has either no target path or no "
    "data block associated with it.\nDo you want to continue anyway? (not recommended)";
inline constexpr const char* kNotInDatabase =
    "An item in this patch refers to a Fastfile that does not exist in your database. This "
    "item will not be installed.";
inline constexpr const char* kNoFastfile = "ERROR: Failed to open Fastfile!";
inline constexpr const char* kSaveFailed = "ERROR: Failed to save Fastfile!";
inline constexpr const char* kAddFailed = "ERROR: Failed to add Fastfile item!";
// Beyond the installer's own texts: the record that lets an installation be taken back out.
inline constexpr const char* kNoRecord =
    "ERROR: Failed to keep a copy of what this patch replaces. Nothing was installed.";
inline constexpr const char* kUninstallTitle = "Fastfile Patch Uninstaller";
inline constexpr const char* kUninstallFailed = "ERROR: Failed to uninstall the Fastfile patch.";
inline constexpr const char* kUninstallChanged =
    "Some items this patch installed have changed since. Uninstalling puts their old bytes "
    "back over those changes.\nDo you want to continue anyway?";
inline constexpr const char* kUninstalled = "The Fastfile patch has been uninstalled.";
inline constexpr const char* kSucceeded = "The Fastfile Patch has been installed successfully.";
inline constexpr const char* kInfoHeading =
    "The following Fastfile Patch for Aliens versus Predator will be installed:";

}  // namespace patchapply
