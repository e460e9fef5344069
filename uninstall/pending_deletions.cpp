#include "uninstall/pending_deletions.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "inidoc/ini_document.h"

namespace qm::uninstall {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSection = "rename";
constexpr const char* kKey = "NUL";

std::string ConfigHome() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != 0) {
        return config;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

std::vector<std::string> Files(const CIniDocument& list) {
    std::vector<std::string> files;
    if (const CIniDocument::Section* section = list.FindSection(kSection)) {
        for (const CIniDocument::Entry& entry : section->entries) {
            if (entry.key && entry.value && CIniDocument::EqualsNoCase(*entry.key, kKey)) {
                files.push_back(*entry.value);
            }
        }
    }
    return files;
}

CIniDocument ListOf(const std::vector<std::string>& files) {
    CIniDocument list;
    CIniDocument::Section section{kSection, {}};
    for (const std::string& file : files) {
        section.entries.push_back({std::string(kKey), file});
    }
    list.Sections().push_back(std::move(section));
    return list;
}

// Removes a directory we made for our own files once nothing else is in it.
void RemoveIfEmpty(const fs::path& directory) {
    std::error_code ec;
    if (fs::is_directory(directory, ec) && fs::is_empty(directory, ec)) {
        fs::remove(directory, ec);
    }
}

// A text as one argument of the login session's shell, taken literally.
std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// A desktop entry's Exec argument in double quotes, with the escapes both the entry format and
// its Exec key need.
std::string ExecQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '`' || c == '$') {
            quoted += "\\\\";
        } else if (c == '\\') {
            quoted += "\\\\\\";  // with the backslash itself: four
        }
        quoted += c;
    }
    return quoted + "\"";
}

// The login entry runs a small script rather than Uninstall itself: the uninstaller may have
// been among the files it removed. The script deletes the files, and once none is left, the
// list, the entry and itself.
bool WriteCleanup(const std::vector<std::string>& files) {
    std::error_code ec;
    const fs::path script = CleanupScriptFile();
    fs::create_directories(script.parent_path(), ec);
    {
        std::ofstream out(script, std::ios::binary | std::ios::trunc);
        out << "#!/bin/sh\n# Deletes what Uninstall could not delete at once.\nleft=0\n";
        for (const std::string& file : files) {
            const std::string quoted = ShellQuoted(file);
            out << "rm -f -- " << quoted << " 2>/dev/null; [ -e " << quoted << " ] && left=1\n";
        }
        out << "[ $left = 0 ] && rm -f -- " << ShellQuoted(PendingDeletionsFile()) << ' '
            << ShellQuoted(CleanupAutostartFile()) << ' ' << ShellQuoted(script.string()) << "\n"
            << "exit 0\n";
        if (!out.flush()) {
            return false;
        }
    }
    const fs::path entry = CleanupAutostartFile();
    fs::create_directories(entry.parent_path(), ec);
    std::ofstream out(entry, std::ios::binary | std::ios::trunc);
    out << "[Desktop Entry]\nType=Application\nName=Uninstall (finish removing files)\n"
        << "Exec=/bin/sh " << ExecQuoted(script.string()) << "\n"
        << "NoDisplay=true\nX-GNOME-Autostart-enabled=true\n";
    return static_cast<bool>(out.flush());
}

}  // namespace

std::string PendingDeletionsFile() {
    return ConfigHome() + "/quillmark/pending-deletions.ini";
}

std::string CleanupScriptFile() {
    return ConfigHome() + "/quillmark/pending-deletions.sh";
}

std::string CleanupAutostartFile() {
    return ConfigHome() + "/autostart/quillmark-uninstall-cleanup.desktop";
}

std::vector<std::string> PendingDeletions() {
    CIniDocument list;
    list.Load(PendingDeletionsFile());
    return Files(list);
}

bool AddPendingDeletions(const std::vector<std::string>& files) {
    if (files.empty()) {
        return true;
    }
    std::vector<std::string> all = PendingDeletions();
    all.insert(all.end(), files.begin(), files.end());
    const std::string path = PendingDeletionsFile();
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    if (!ListOf(all).Save(path)) {
        return false;
    }
    return WriteCleanup(all);
}

int ProcessPendingDeletions() {
    const std::string path = PendingDeletionsFile();
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        return 0;
    }
    int removed = 0;
    std::vector<std::string> left;
    for (const std::string& file : PendingDeletions()) {
        if (!fs::exists(fs::symlink_status(file, ec))) {
            continue;  // gone meanwhile
        }
        if (fs::remove(file, ec) && !ec) {
            ++removed;
        } else {
            left.push_back(file);
        }
    }
    if (!left.empty()) {
        ListOf(left).Save(path);
        WriteCleanup(left);
        return removed;
    }
    fs::remove(path, ec);
    fs::remove(CleanupScriptFile(), ec);
    fs::remove(CleanupAutostartFile(), ec);
    RemoveIfEmpty(fs::path(path).parent_path());
    RemoveIfEmpty(fs::path(CleanupAutostartFile()).parent_path());
    return removed;
}

}  // namespace qm::uninstall
