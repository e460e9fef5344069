// TexBench's settings: where the file lives, the names of its sections and keys with their
// defaults, and the readers of the keys whose values have a range.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/program_path.h"
#include "suite/settings_readers.h"

class CIniDocument;

namespace texbench {

using suite::IntSetting;
using suite::ReadInt;
using suite::ReadText;
using suite::TextSetting;

// Sections.
inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kUiSection[] = "Settings.UI";
inline constexpr char kEngineSection[] = "Settings.Engine";
inline constexpr char kExportSection[] = "Settings.Export";
inline constexpr char kImportSection[] = "Settings.Import";

inline constexpr IntSetting kPosX{kSettingsSection, "Pos X", -1};
inline constexpr IntSetting kPosY{kSettingsSection, "Pos Y", -1};
inline constexpr IntSetting kSplashScreen{kSettingsSection, "Splash Screen", 2000};
inline constexpr IntSetting kNoSound{kUiSection, "No Snd", 1};
inline constexpr IntSetting kResetZoom{kUiSection, "Reset Zoom", 1};
inline constexpr IntSetting kFixBpp{kUiSection, "Fix BPP", 1};
inline constexpr IntSetting kConfirmDelete{kUiSection, "Confirm Delete", 1};
inline constexpr IntSetting kConfirmReplace{kUiSection, "Confirm Replace", 1};
inline constexpr IntSetting kDatabaseBuffer{kEngineSection, "Database Buffer", 4};
inline constexpr IntSetting kFastfileBuffer{kEngineSection, "Fastfile Buffer", 1024};
inline constexpr IntSetting kImageBuffer{kEngineSection, "Image Buffer", 1024};
inline constexpr IntSetting kIpcTimeout{kEngineSection, "IPC Timeout", 500};
inline constexpr IntSetting kExportType{kExportSection, "Export Type", 1};
inline constexpr IntSetting kImportType{kImportSection, "Import Type", 1};
inline constexpr IntSetting kShowPreview{kImportSection, "Show Preview", 0};
inline constexpr IntSetting kLoopSound{kImportSection, "Loop Snd", 0};

// Text settings (default: empty).
inline constexpr TextSetting kSkin{kSettingsSection, "Skin"};
inline constexpr TextSetting kFastfilePath{kSettingsSection, "Fastfile Path"};
inline constexpr TextSetting kExportPath{kExportSection, "Export Path"};
inline constexpr TextSetting kImportPath{kImportSection, "Import Path"};

// Splash duration in ms: 0 with "-nosplash" (the value is then not read), above 10000 taken as
// 10000, below 500 taken as 0 (no splash).
int SplashDuration(const CIniDocument& settings, bool noSplash);
// The image classes' stream buffer in bytes: "Image Buffer" KB, 1024 outside 4..65536.
std::uint32_t ImageBufferBytes(const CIniDocument& settings);
// How long to wait on another tool, in ms: 500 outside 100..5000.
int IpcTimeout(const CIniDocument& settings);
// Buffer sizes handed to PackLib unchanged, in KB; PackLib refuses what it cannot use.
std::uint32_t DatabaseBufferKb(const CIniDocument& settings);
std::uint32_t FastfileBufferKb(const CIniDocument& settings);

// The settings and help files beside the program, named like it.
inline std::string SettingsFilePath(std::string_view programPath) {
    return qm::ProgramFilePath(programPath, "cfg");
}
inline std::string HelpFilePath(std::string_view programPath) {
    return qm::ProgramFilePath(programPath, "chm");
}

}  // namespace texbench
