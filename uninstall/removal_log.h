#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inidoc/ini_document.h"
#include "platform/registry.h"

// The uninstall log as Uninstall reads it: numbered list sections, registry keys written root
// first, and the entries the customisation pages leave installed.
namespace qm::uninstall {

// A list section's "Count"; 0 when missing, not a number or negative.
int ListCount(const CIniDocument& log, std::string_view section);

struct LogRegistryKey {
    RegistryRoot root = RegistryRoot::LocalMachine;
    std::string subkey;
};
// The root must be written exactly "HKLM", "HKCR", "HKCU", "HKCC" or "HKUS" (upper case),
// followed by a backslash; anything else is not the log's and is left alone.
std::optional<LogRegistryKey> ParseLogRegistryKey(std::string_view text);

// One row of a customisation page: the log entry it shows.
struct LogRow {
    std::string section;
    std::string key;
    std::string value;
};
enum class ListPage { Servers, Folders, Files, Registry };
// The sections a page shows, in the order it shows them.
std::vector<const char*> PageSections(ListPage page);
// The page's non-empty entries in entry order, section after section.
std::vector<LogRow> PageRows(const CIniDocument& log, ListPage page);
// Whether the page belongs in the wizard at all (its sections have a non-zero Count).
bool PageIncluded(const CIniDocument& log, ListPage page);
// Leaves the entry installed: it is blanked in the log in memory, never in the file.
void BlankEntry(CIniDocument& log, const LogRow& row);

}  // namespace qm::uninstall
