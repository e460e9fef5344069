// The editor's settings file, used the way profile-string functions use one: every read opens
// the file afresh and every write saves it at once, so nothing is held between calls.
#pragma once

#include <string>

namespace patchbench {

inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kShowTipKey[] = "Show Tip";
inline constexpr char kNextTipKey[] = "Next Tip";

class ProfileSettings {
  public:
    explicit ProfileSettings(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // The default when the file, the key or a number is missing.
    int GetInt(const char* section, const char* key, int defaultValue) const;
    bool SetInt(const char* section, const char* key, int value) const;

  private:
    std::string path_;
};

// A file beside the program named like it: everything after the last "." of the program's file
// name replaced by `extension` ("cfg" for settings, "chm" for help); a name without "." gets
// "." and the extension.
std::string ProgramFilePath(const std::string& programPath, const std::string& extension);
// The program's directory, including its trailing separator.
std::string ProgramDirectoryOf(const std::string& programPath);

}  // namespace patchbench
