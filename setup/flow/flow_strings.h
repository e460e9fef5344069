#pragma once

// The texts of Setup's wizard and program flow, by their resource numbers.
namespace qm::setup {

inline constexpr const char* kSelectDestination = "Select the destination directory:";  // 3
inline constexpr const char* kCannotCreateDestination =
    "ERROR : Cannot create destination directory.";                                        // 13
inline constexpr const char* kInvalidDestination = "Please specify a valid destination.";  // 20
inline constexpr const char* kSelectGroup = "Select a Program Group:";                     // 21
inline constexpr const char* kCannotCreateGroup =
    "ERROR : Cannot create the specified Program Group.";                     // 22
inline constexpr const char* kPressFinish = "Press 'Finish' to exit Setup.";  // 27
inline constexpr const char* kMustRestart =
    "To complete the installation you must restart your computer. Click 'Finish' to restart "
    "your computer now. Click 'Cancel' to exit Setup.";  // 28
inline constexpr const char* kCannotCreateUninstall =
    "ERROR : Cannot create uninstallation directory.";                                   // 32
inline constexpr const char* kSelectUninstall = "Select the uninstallation directory:";  // 33
inline constexpr const char* kPreInstallFailed =
    "ERROR: The Module '%s' could not be executed!\nThe installation may not be completed "
    "successfully.\n\nDo you want to continue anyway?";  // 36
inline constexpr const char* kPostInstallFailed =
    "ERROR: The Module '%s' could not be executed!\nThe installation may not be completed "
    "successfully.";                                                                         // 37
inline constexpr const char* kExtensionFailed = "ERROR: Failed to load extension library!";  // 41

// Rich-text resource 113: the welcome page's text, filled with the product's fields.
inline constexpr const char* kWelcomeTemplate =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue160;}"
    "\\pard\\fs40\\b #PRODUCT#\\b0\\par "
    "\\fs20 Version #VERSION#\\par\\par "
    "#COMPANY#\\par "
    "#COPYRIGHT#\\par "
    "\\cf2\\ul #WEBSITE#\\ulnone\\cf0\\par\\par "
    "This program will install #PRODUCT# on your computer.\\par\\par "
    "It is strongly recommended that you exit all programs before running Setup. Click "
    "'Cancel' to quit Setup, then close any programs you have running. Click 'Next' to "
    "continue with the installation.\\par }";

}  // namespace qm::setup
