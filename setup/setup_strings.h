#pragma once

// Setup's string table: the texts its messages show, by their resource numbers.
namespace qm::setup {

inline constexpr const char* kCaption = "Setup";  // 1
inline constexpr const char* kConfigNotFound =
    "ERROR : Cannot find the configuration file (Setup.ini).";  // 2
inline constexpr const char* kNotEnoughSpace =
    "There is not enough space available on the destination drive.\nDo you want to continue "
    "anyway?";  // 4
inline constexpr const char* kConfirmAbort =
    "Setup has not finished yet.\nAre you sure you want to abort the installation?";           // 5
inline constexpr const char* kPrepareFailed = "ERROR : Failed to prepare installation data.";  // 12
inline constexpr const char* kFoldersFailed =
    "ERROR : Failed to create one or more folders on your computer.";  // 14
inline constexpr const char* kFilesFailed =
    "ERROR : Failed to copy one or more files on your computer.";  // 15
inline constexpr const char* kDirectoriesUnavailable =
    "ERROR : Cannot initialize directory structure.";  // 19
inline constexpr const char* kShellObjectsUnavailable =
    "ERROR : Cannot initialize the OLE (COM) Libraries.\nSetup cannot create shortcuts or "
    "program groups.";  // 23
inline constexpr const char* kSignatureMismatch =
    "ERROR : The configuration File is either corrupt or invalid (Signature mismatch)!";  // 25
inline constexpr const char* kKeepOlderFile =
    "It is recommended that you keep this file because the file being copied is older than "
    "the one that is already installed on your computer.";  // 29
inline constexpr const char* kKeepOtherLanguage =
    "It is recommended that you keep this file because the file being copied is in a "
    "different language than the one that is already installed on your computer.";  // 30
inline constexpr const char* kThreadFailed =
    "ERROR: Cannot create Installation thread!\nPlease close any running applications and "
    "start Setup again. ";                                                                     // 34
inline constexpr const char* kLogSaveFailed = "ERROR: Failed to save uninstall information!";  // 35
inline constexpr const char* kSourceMissing =
    "ERROR: The File '%s' could not be copied because it does not exist!\nDo you want to "
    "continue anyway?";  // 38
inline constexpr const char* kEnvironmentFailed =
    "ERROR: Failed to initialize environment block!\nMaybe there is not enough memory "
    "available to perform this operation. Please close all running applications and start "
    "Setup again.";  // 42

// Dialog 118, the question about a file that is already installed.
inline constexpr const char* kFileExists = "The file '%s' already exists.";
inline constexpr const char* kKeepThisFile = "Do you want to keep this file?";

// The signature of Setup.ini and of the uninstall log.
inline constexpr const char* kSignature = "KRM_Setup_1.0";

}  // namespace qm::setup
