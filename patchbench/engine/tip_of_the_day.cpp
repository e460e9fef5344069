#include "patchbench/engine/tip_of_the_day.h"

#include <fstream>

#include "patchbench/engine/editor_texts.h"

namespace patchbench {
namespace {

constexpr std::size_t kLongestLine = 1023;

bool IsTip(const std::string& line) {
    return !line.empty() && line[0] != '\0' && line[0] != '\t' && line[0] != '\n' && line[0] != ';';
}

}  // namespace

std::optional<std::vector<std::string>> ReadTipsFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::string> tips;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.size() > kLongestLine) {
            line.resize(kLongestLine);
        }
        if (IsTip(line)) {
            tips.push_back(line);
        }
    }
    return tips;
}

TipOfTheDay::TipOfTheDay(const std::string& tipsPath, const ProfileSettings& settings)
    : settings_(settings) {
    if (auto tips = ReadTipsFile(tipsPath)) {
        tips_ = std::move(*tips);
        fileRead_ = true;
    }
    nextIndex_ = settings_.Read(kNextTip);
    showAtStartup_ = settings_.Read(kShowTip) != 0;
}

std::string TipOfTheDay::TakeTip() {
    if (tips_.empty()) {
        return kNoTipsText;
    }
    // A hand-edited index below zero starts at the first tip as well.
    if (nextIndex_ < 0 || nextIndex_ >= static_cast<int>(tips_.size())) {
        nextIndex_ = 0;
    }
    return tips_[static_cast<std::size_t>(nextIndex_++)];
}

void TipOfTheDay::Save() const {
    settings_.Write(kShowTip, showAtStartup_ ? 1 : 0);
    settings_.Write(kNextTip, nextIndex_);
}

}  // namespace patchbench
