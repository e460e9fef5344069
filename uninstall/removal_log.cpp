#include "uninstall/removal_log.h"

#include "suite/numbered_key.h"

namespace qm::uninstall {

int ListCount(const CIniDocument& log, std::string_view section) {
    const int count = log.GetInt(section, "Count", 0);
    return count > 0 ? count : 0;
}

std::optional<LogRegistryKey> ParseLogRegistryKey(std::string_view text) {
    struct Root {
        std::string_view name;
        RegistryRoot root;
    };
    static constexpr Root kRoots[] = {{"HKLM", RegistryRoot::LocalMachine},
                                      {"HKCR", RegistryRoot::ClassesRoot},
                                      {"HKCU", RegistryRoot::CurrentUser},
                                      {"HKCC", RegistryRoot::CurrentConfig},
                                      {"HKUS", RegistryRoot::Users}};
    if (text.size() < 6 || text[4] != '\\') {
        return std::nullopt;
    }
    for (const Root& root : kRoots) {
        if (text.substr(0, 4) == root.name) {
            std::string subkey(text.substr(5));
            while (!subkey.empty() && subkey.back() == '\\') {
                subkey.pop_back();
            }
            if (subkey.empty()) {
                return std::nullopt;  // a whole root is never the log's to delete
            }
            return LogRegistryKey{root.root, subkey};
        }
    }
    return std::nullopt;
}

std::vector<const char*> PageSections(ListPage page) {
    switch (page) {
        case ListPage::Servers:
            return {"RegisterServer", "RegisterApp"};
        case ListPage::Folders:
            return {"Folders"};
        case ListPage::Files:
            return {"Files", "Shortcuts", "SharedFiles"};
        case ListPage::Registry:
            return {"RegKeys"};
    }
    return {};
}

std::vector<LogRow> PageRows(const CIniDocument& log, ListPage page) {
    std::vector<LogRow> rows;
    for (const char* section : PageSections(page)) {
        const int count = ListCount(log, section);
        for (int i = 1; i <= count; ++i) {
            const std::string key = suite::NumberedKey(i);
            std::string value = log.GetString(section, key, "");
            if (!value.empty()) {
                rows.push_back({section, key, std::move(value)});
            }
        }
    }
    return rows;
}

bool PageIncluded(const CIniDocument& log, ListPage page) {
    // The Files page asks about [Files] and [Shortcuts] only; shared files ride along.
    std::vector<const char*> sections = PageSections(page);
    if (page == ListPage::Files) {
        sections.pop_back();
    }
    for (const char* section : sections) {
        if (ListCount(log, section) != 0) {
            return true;
        }
    }
    return false;
}

void BlankEntry(CIniDocument& log, const LogRow& row) {
    log.SetString(row.section.c_str(), row.key.c_str(), nullptr);
}

}  // namespace qm::uninstall
