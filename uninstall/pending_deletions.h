#pragma once

#include <string>
#include <vector>

// Files that could not be deleted during an uninstallation. Windows deletes them at the next
// restart; here the suite keeps its own list ($XDG_CONFIG_HOME/quillmark/pending-deletions.ini,
// section [rename], one "NUL" entry per file, as Wininit.ini keeps them), and a login
// autostart entry runs Uninstall once to work the list off. The next start of Uninstall works
// it off too.
namespace qm::uninstall {

std::string PendingDeletionsFile();
std::string CleanupAutostartFile();
// The argument with which the autostart entry starts Uninstall.
inline constexpr const char* kCleanupArgument = "--pending-deletions";

// Adds the files to the list and makes sure the autostart entry starts `uninstaller`. False
// when the list could not be written.
bool AddPendingDeletions(const std::vector<std::string>& files, const std::string& uninstaller);
// The files on the list now.
std::vector<std::string> PendingDeletions();
// Deletes what is on the list. Files that still cannot be deleted stay on it; once the list
// is empty it is removed together with the autostart entry. Returns how many files went.
int ProcessPendingDeletions();

}  // namespace qm::uninstall
