// The patch editor's own texts: captions, messages and questions, exactly as users see them.
#pragma once

namespace patchbench {

// The program's title, also the caption of every message box.
inline constexpr char kProgramTitle[] = "Fastfile Patch Editor";
inline constexpr char kUntitledName[] = "Untitled.kdz";
inline constexpr char kAboutMenuText[] = "&About...";
inline constexpr char kLibraryFailedText[] =
    "ERROR: Failed to load Library!\nMake sure that  you have the latest version of "
    "'PackLib.dll' installed.";
inline constexpr char kDatabaseFailedText[] = "ERROR: Failed to open Fastfile Database!";
inline constexpr char kCreateFailedText[] = "ERROR: Failed to create Fastfile Patch!";
inline constexpr char kOpenFailedText[] = "ERROR: Failed to open Fastfile Patch!";
inline constexpr char kSaveFailedText[] = "ERROR: Failed to save Fastfile Patch!";
// %1 is the file part of the patch path, or the untitled name.
inline constexpr char kSaveQuestionText[] = "You have modified '%1'.\nDo you want to save it?";
inline constexpr char kFileFilterText[] = "Quillmark Fastfile Patch (*kdz)|*kdz|All Files|*.*||||";
// %1 is the Fastfile item path of the arriving record.
inline constexpr char kReplaceQuestionText[] =
    "The item '%1' already exists. Do you want to replace it?";
inline constexpr char kTipHeaderText[] = "Did you know...";
inline constexpr char kNoTipsText[] = "Tips file does not exist in the prescribed directory";
inline constexpr char kInstallerMissingText[] = "Fastfile Patch Installer could not be found!";
inline constexpr char kInstallerFailedText[] = "ERROR: Failed to start Fastfile Patch Installer!";
// Find in the properties dialogs; %d are the paths found and the rows added.
inline constexpr char kNothingFoundText[] = "No matching items could be found in your Fastfiles.";
inline constexpr char kFoundAndAddedText[] =
    "%d matching items have been found.\n%d items have been added to the list.";

// The default extension of patch files, without the dot.
inline constexpr char kPatchExtension[] = "kdz";

}  // namespace patchbench
