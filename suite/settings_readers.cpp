#include "suite/settings_readers.h"

#include <climits>
#include <cstdlib>

#include "inidoc/ini_document.h"

namespace suite {
namespace {

bool BeginsLikeANumber(const std::string& value) {
    return !value.empty() && ((value[0] >= '0' && value[0] <= '9') || value[0] == '-');
}

}  // namespace

int ReadInt(const CIniDocument& settings, const IntSetting& setting) {
    const std::string value = settings.GetString(setting.section, setting.key, "");
    if (!BeginsLikeANumber(value)) {
        return setting.defaultValue;
    }
    const long long number = std::strtoll(value.c_str(), nullptr, 10);
    if (number > INT_MAX) {
        return INT_MAX;
    }
    if (number < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(number);
}

std::string ReadText(const CIniDocument& settings, const TextSetting& setting) {
    return settings.GetString(setting.section, setting.key, "");
}

}  // namespace suite
