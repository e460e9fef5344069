#pragma once

#include <string>
#include <vector>

// Files that could not be deleted during an uninstallation. Windows deletes them at the next
// restart; here the suite keeps its own list ($XDG_CONFIG_HOME/quillmark/pending-deletions.ini,
// section [rename], one "NUL" entry per file, as Wininit.ini keeps them), and a login
// autostart entry runs a script beside the list that deletes them. The next start of Uninstall
// works the list off too.
namespace qm::uninstall {

std::string PendingDeletionsFile();
std::string CleanupAutostartFile();
std::string CleanupScriptFile();
// Uninstall started with this only works the list off.
inline constexpr const char* kCleanupArgument = "--pending-deletions";

// Adds the files to the list and writes the script and its autostart entry. False when the
// list could not be written.
bool AddPendingDeletions(const std::vector<std::string>& files);
// The files on the list now.
std::vector<std::string> PendingDeletions();
// Deletes what is on the list. Files that still cannot be deleted stay on it; once the list
// is empty it is removed together with the autostart entry. Returns how many files went.
int ProcessPendingDeletions();

}  // namespace qm::uninstall
