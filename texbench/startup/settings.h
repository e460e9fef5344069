// TexBench's settings: where the file lives, the names of its sections and keys, and typed
// readers that apply each key's default and range.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CIniDocument;

namespace texbench {

// Sections.
inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kUiSection[] = "Settings.UI";
inline constexpr char kEngineSection[] = "Settings.Engine";
inline constexpr char kExportSection[] = "Settings.Export";
inline constexpr char kImportSection[] = "Settings.Import";

// A numeric setting: where it lives and what a missing or unreadable value means.
struct IntSetting {
    const char* section;
    const char* key;
    int defaultValue;
};

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
struct TextSetting {
    const char* section;
    const char* key;
};
inline constexpr TextSetting kSkin{kSettingsSection, "Skin"};
inline constexpr TextSetting kFastfilePath{kSettingsSection, "Fastfile Path"};
inline constexpr TextSetting kExportPath{kExportSection, "Export Path"};
inline constexpr TextSetting kImportPath{kImportSection, "Import Path"};

// The value as a decimal integer; the default when the key is missing or its value does not
// begin with a digit or "-". Values beyond the range of int are held at its ends, so that a
// huge number stays huge instead of wrapping into some small or negative one.
int ReadInt(const CIniDocument& settings, const IntSetting& setting);
std::string ReadText(const CIniDocument& settings, const TextSetting& setting);

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

// A file beside the program named like it: the program path up to and including the last "."
// of its file name, then `extension`; a file name without "." gets "." and the extension.
std::string ProgramFilePath(std::string_view programPath, std::string_view extension);
inline std::string SettingsFilePath(std::string_view programPath) {
    return ProgramFilePath(programPath, "cfg");
}
inline std::string HelpFilePath(std::string_view programPath) {
    return ProgramFilePath(programPath, "chm");
}
// The program's directory: its path up to and including the last separator.
std::string ProgramDirectoryOf(std::string_view programPath);

}  // namespace texbench
