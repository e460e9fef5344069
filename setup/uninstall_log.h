#pragma once

#include <string>
#include <string_view>

#include "inidoc/ini_document.h"

namespace qm::setup {

// The uninstall log as it stands before anything is installed: [Version] with the signature
// (and "NoCustom", "OldStyle" when Setup.ini sets them), [Product] copied from Setup.ini, and
// every list section with "Count" = "0".
CIniDocument CreateUninstallLog(const CIniDocument& setupIni);

// Appends a value to a list section as its next numbered entry ("%.3X" after the current
// Count, optionally with a letter) and raises the Count. Returns the number given.
int AppendLogEntry(CIniDocument& log, std::string_view section, const std::string& value);
// Appends the key and value-name pair of [RegVals] under one number.
int AppendLogValue(CIniDocument& log, const std::string& key, const std::string& valueName);

}  // namespace qm::setup
