#pragma once

// Uninstall's string table: the texts its messages and pages show, by their numbers.
namespace qm::uninstall {

inline constexpr const char* kCaption = "Uninstall";                                           // 1
inline constexpr const char* kMissingCommandLine = "ERROR : Missing or invalid commandline.";  // 2
inline constexpr const char* kLogNotFound =
    "ERROR : Cannot find '%s'.\nThis file is needed for uninstallation.\nMake sure that the "
    "file exists\nand that it is accessible to Uninstall.";  // 3
inline constexpr const char* kConfirmAbort =
    "Are you sure you want to abort the uninstallation ?";  // 4
inline constexpr const char* kInvalidLog =
    "ERROR : The specified configuration file is either corrupt or not a valid uninstallation "
    "file.";  // 5
inline constexpr const char* kAllRemoved =
    "All of the installed components have been removed successfully.";  // 12
inline constexpr const char* kNotAllRemoved =
    "Not all of the installed components have been removed successfully.";  // 13
inline constexpr const char* kRestartToFinish =
    "To complete the uninstallation you have to restart your computer. Click 'Finish' to "
    "restart your computer now. Click 'Cancel' to exit Uninstall.";               // 14
inline constexpr const char* kClickFinish = "Click 'Finish' to exit Uninstall.";  // 15
inline constexpr const char* kThreadFailed =
    "ERROR: Cannot create Uninstallation thread!\nPlease close any running applications and "
    "start Uninstall again.";                                                              // 19
inline constexpr const char* kPrepareFailed = "ERROR: Failed to prepare uninstallation.";  // 20

// The signature the log must carry.
inline constexpr const char* kSignature = "KRM_Setup_1.0";

}  // namespace qm::uninstall
