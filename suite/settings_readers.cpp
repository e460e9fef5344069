#include "suite/settings_readers.h"

#include "inidoc/ini_document.h"

namespace suite {

int ReadInt(const CIniDocument& settings, const IntSetting& setting) {
    // The document's reader: a missing or non-numeric value is the default, a huge one is
    // held at the ends of int.
    return settings.GetInt(setting.section, setting.key, setting.defaultValue);
}

std::string ReadText(const CIniDocument& settings, const TextSetting& setting) {
    return settings.GetString(setting.section, setting.key, "");
}

}  // namespace suite
