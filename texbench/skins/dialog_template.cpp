#include "texbench/skins/dialog_template.h"

#include <charconv>
#include <utility>

#include "platform/ascii.h"

namespace texbench {
namespace {

constexpr int kLargest = 65535;  // ids and places are 16-bit words

// The main dialog of the system look, in dialog units.
constexpr char kBuiltInLayout[] = R"(# The main dialog, 295 x 210 dialog units.
DIALOG 295 210
CONTROL 0 label 7 7 120 10 "Database/Fastfile contents:"
CONTROL 1010 tree 7 18 120 100
CONTROL 1011 list 7 126 120 77
CONTROL 0 label 136 7 120 10 "Preview:"
CONTROL 1005 preview 136 18 152 128
CONTROL 1006 info 136 150 152 10
CONTROL 1000 button 136 171 50 14 "&Import..."
CONTROL 1001 button 190 171 50 14 "&Export..."
CONTROL 57664 button 244 171 44 14 "&About..."
CONTROL 1055 button 136 189 50 14 "&Open"
CONTROL 1053 button 190 189 50 14 "&Patch"
CONTROL 2 button 244 189 44 14 "&Close"
)";

struct RequiredControl {
    int id;
    const char* kind;
};
constexpr RequiredControl kMainControls[] = {
    {1010, "tree"},   {1011, "list"},    {1005, "preview"}, {1006, "info"},   {1000, "button"},
    {1001, "button"}, {57664, "button"}, {1055, "button"},  {1053, "button"}, {2, "button"},
};

// Splits off the next blank-separated word, or a double-quoted text (without its quotes).
class Words {
  public:
    explicit Words(std::string_view line) : rest_(line) {}

    std::optional<std::string_view> Next() {
        rest_ = qm::TrimStart(rest_);
        if (rest_.empty()) {
            return std::nullopt;
        }
        if (rest_.front() == '"') {
            const std::size_t end = rest_.find('"', 1);
            if (end == std::string_view::npos) {
                failed_ = true;
                return std::nullopt;
            }
            quoted_ = true;
            const std::string_view word = rest_.substr(1, end - 1);
            rest_.remove_prefix(end + 1);
            return word;
        }
        quoted_ = false;
        std::size_t end = 0;
        while (end < rest_.size() && !qm::IsBlank(rest_[end])) {
            ++end;
        }
        const std::string_view word = rest_.substr(0, end);
        rest_.remove_prefix(end);
        return word;
    }
    bool LastQuoted() const { return quoted_; }
    bool Failed() const { return failed_; }

  private:
    std::string_view rest_;
    bool quoted_ = false;
    bool failed_ = false;
};

std::optional<int> Number(std::optional<std::string_view> word) {
    if (!word) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(word->data(), word->data() + word->size(), value);
    if (error != std::errc() || end != word->data() + word->size() || value < 0 ||
        value > kLargest) {
        return std::nullopt;
    }
    return value;
}

bool ReadNumbers(Words& words, std::initializer_list<int*> targets) {
    for (int* target : targets) {
        const auto value = Number(words.Next());
        if (!value) {
            return false;
        }
        *target = *value;
    }
    return true;
}

std::optional<ControlTemplate> ReadControl(Words& words) {
    ControlTemplate control;
    if (!ReadNumbers(words, {&control.id})) {
        return std::nullopt;
    }
    const auto kind = words.Next();
    if (!kind || words.LastQuoted()) {
        return std::nullopt;
    }
    control.kind = std::string(*kind);
    if (!ReadNumbers(words, {&control.x, &control.y, &control.width, &control.height})) {
        return std::nullopt;
    }
    while (const auto word = words.Next()) {
        if (words.LastQuoted() && control.text.empty()) {
            control.text = std::string(*word);
        } else if (!words.LastQuoted() && qm::EqualsNoCase(*word, "OWNERDRAW")) {
            control.ownerDraw = true;
        } else {
            return std::nullopt;
        }
    }
    if (words.Failed()) {
        return std::nullopt;
    }
    return control;
}

std::string_view StripLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || qm::IsBlank(line.back()))) {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

const ControlTemplate* DialogTemplate::Find(int id) const {
    for (const ControlTemplate& control : controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

std::optional<DialogTemplate> ParseDialogTemplate(std::string_view text) {
    DialogTemplate result;
    bool sized = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = StripLineEnd(
            qm::TrimStart(text.substr(0, end == std::string_view::npos ? text.size() : end)));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        Words words(line);
        const auto statement = words.Next();
        if (statement && qm::EqualsNoCase(*statement, "DIALOG") && !sized) {
            if (!ReadNumbers(words, {&result.width, &result.height}) || words.Next()) {
                return std::nullopt;
            }
            sized = true;
        } else if (statement && qm::EqualsNoCase(*statement, "CONTROL") && sized) {
            auto control = ReadControl(words);
            if (!control) {
                return std::nullopt;
            }
            result.controls.push_back(std::move(*control));
        } else {
            return std::nullopt;
        }
    }
    if (!sized) {
        return std::nullopt;
    }
    return result;
}

std::optional<DialogTemplate> ParseMainDialogTemplate(std::string_view text) {
    auto result = ParseDialogTemplate(text);
    if (!result) {
        return std::nullopt;
    }
    for (const RequiredControl& required : kMainControls) {
        const ControlTemplate* control = result->Find(required.id);
        if (control == nullptr || !qm::EqualsNoCase(control->kind, required.kind)) {
            return std::nullopt;
        }
    }
    return result;
}

std::string_view BuiltInMainDialogLayout() {
    return kBuiltInLayout;
}

}  // namespace texbench
