#include "setup/uninstall_log.h"

#include <array>

#include "setup/setup_strings.h"
#include "suite/numbered_key.h"

namespace qm::setup {

namespace {

CIniDocument::Entry Entry(const char* key, std::string value) {
    CIniDocument::Entry entry;
    entry.key = key;
    if (!value.empty()) {
        entry.value = std::move(value);
    }
    return entry;
}

int NextNumber(CIniDocument& log, std::string_view section) {
    const int number = log.GetInt(section, "Count", 0) + 1;
    log.SetInt(std::string(section).c_str(), "Count", number);
    return number;
}

}  // namespace

CIniDocument CreateUninstallLog(const CIniDocument& setupIni) {
    CIniDocument log;
    auto& sections = log.Sections();
    CIniDocument::Section version{"Version", {Entry("Signature", kSignature)}};
    if (setupIni.GetInt("Uninstall", "NoCustom", 0) != 0) {
        version.entries.push_back(Entry("NoCustom", "1"));
    }
    if (setupIni.GetInt("Version", "OldStyle", 0) != 0) {
        version.entries.push_back(Entry("OldStyle", "1"));
    }
    sections.push_back(std::move(version));
    CIniDocument::Section product{"Product", {}};
    for (const char* key : {"AppName", "Version", "Provider", "Copyright", "Website"}) {
        product.entries.push_back(Entry(key, setupIni.GetString("Product", key, "")));
    }
    sections.push_back(std::move(product));
    static constexpr std::array<const char*, 9> kLists = {
        "Modules", "Folders", "Files",          "SharedFiles", "Shortcuts",
        "RegKeys", "RegVals", "RegisterServer", "RegisterApp"};
    for (const char* list : kLists) {
        sections.push_back({list, {Entry("Count", "0")}});
    }
    return log;
}

int AppendLogEntry(CIniDocument& log, std::string_view section, const std::string& value) {
    const int number = NextNumber(log, section);
    log.SetString(std::string(section).c_str(), suite::NumberedKey(number).c_str(), value.c_str());
    return number;
}

int AppendLogValue(CIniDocument& log, const std::string& key, const std::string& valueName) {
    const int number = NextNumber(log, "RegVals");
    log.SetString("RegVals", suite::NumberedKey(number, 'K').c_str(), key.c_str());
    log.SetString("RegVals", suite::NumberedKey(number, 'V').c_str(), valueName.c_str());
    return number;
}

}  // namespace qm::setup
