// The editor's settings file, used the way profile-string functions use one: every read opens
// the file afresh and every write saves it at once, so nothing is held between calls.
#pragma once

#include <string>

#include "suite/settings_readers.h"

namespace patchbench {

inline constexpr char kSettingsSection[] = "Settings";
// Whether the tip of the day shows at start-up, and the index of the next tip.
inline constexpr suite::IntSetting kShowTip{kSettingsSection, "Show Tip", 1};
inline constexpr suite::IntSetting kNextTip{kSettingsSection, "Next Tip", 0};

class ProfileSettings {
  public:
    explicit ProfileSettings(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // The setting's default when the file, the key or a number is missing.
    int Read(const suite::IntSetting& setting) const;
    bool Write(const suite::IntSetting& setting, int value) const;

  private:
    std::string path_;
};

}  // namespace patchbench
