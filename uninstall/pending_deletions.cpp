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

bool WriteAutostartEntry(const std::string& uninstaller) {
    const fs::path file = CleanupAutostartFile();
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "[Desktop Entry]\nType=Application\nName=Uninstall (finish removing files)\n"
        << "Exec=\"" << uninstaller << "\" " << kCleanupArgument << "\n"
        << "NoDisplay=true\nX-GNOME-Autostart-enabled=true\n";
    return static_cast<bool>(out.flush());
}

}  // namespace

std::string PendingDeletionsFile() {
    return ConfigHome() + "/quillmark/pending-deletions.ini";
}

std::string CleanupAutostartFile() {
    return ConfigHome() + "/autostart/quillmark-uninstall-cleanup.desktop";
}

std::vector<std::string> PendingDeletions() {
    CIniDocument list;
    list.Load(PendingDeletionsFile());
    return Files(list);
}

bool AddPendingDeletions(const std::vector<std::string>& files, const std::string& uninstaller) {
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
    return WriteAutostartEntry(uninstaller);
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
        return removed;
    }
    fs::remove(path, ec);
    fs::remove(CleanupAutostartFile(), ec);
    RemoveIfEmpty(fs::path(path).parent_path());
    RemoveIfEmpty(fs::path(CleanupAutostartFile()).parent_path());
    return removed;
}

}  // namespace qm::uninstall
