// The tip of the day: tips read from "KdzTips.cfg" beside the program, shown in turn, with the
// index of the next one and the start-up choice kept in the settings file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "patchbench/engine/profile_settings.h"

namespace patchbench {

inline constexpr char kTipsFileName[] = "KdzTips.cfg";

// The tips of a file in file order: every line that is not empty and does not begin with a tab
// or ";". Lines are cut to 1023 characters; line ends (also "\r\n") are not part of a tip.
// Nothing when the file cannot be opened.
std::optional<std::vector<std::string>> ReadTipsFile(const std::string& path);

class TipOfTheDay {
  public:
    // Reads the tips file and the two settings.
    TipOfTheDay(const std::string& tipsPath, const ProfileSettings& settings);

    // The tip at the next index (starting again at the first after the last) and advances; the
    // missing-file text when there are no tips.
    std::string TakeTip();
    // "Next Tip" works only when the file could be read.
    bool CanShowNext() const { return fileRead_; }
    bool ShowAtStartup() const { return showAtStartup_; }
    void SetShowAtStartup(bool show) { showAtStartup_ = show; }
    int NextIndex() const { return nextIndex_; }
    // Writes "Show Tip" and "Next Tip" back.
    void Save() const;

  private:
    const ProfileSettings& settings_;
    std::vector<std::string> tips_;
    bool fileRead_ = false;
    bool showAtStartup_ = true;
    int nextIndex_ = 0;
};

}  // namespace patchbench
