#include "setup/system_folders.h"

#include <cstdlib>
#include <fstream>

#include "platform/desktop_registration.h"
#include "setup/setup_paths.h"

#if !defined(_WIN32)
#include <pwd.h>
#include <unistd.h>
#endif

namespace qm::setup {

namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

std::string ConfigHome() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        return config;
    }
    return HomeDirectory() + "/.config";
}

// XDG_DESKTOP_DIR="$HOME/Desktop" in user-dirs.dirs; only "$HOME/" or an absolute path.
std::string DesktopDirectory() {
    std::string value;
    if (const char* desktop = std::getenv("XDG_DESKTOP_DIR"); desktop != nullptr) {
        value = desktop;
    } else {
        std::ifstream dirs(ConfigHome() + "/user-dirs.dirs");
        std::string line;
        const std::string key = "XDG_DESKTOP_DIR=\"";
        while (std::getline(dirs, line)) {
            if (line.rfind(key, 0) == 0 && line.size() > key.size() && line.back() == '"') {
                value = line.substr(key.size(), line.size() - key.size() - 1);
            }
        }
    }
    if (value.rfind("$HOME", 0) == 0) {
        value = HomeDirectory() + value.substr(5);
    }
    if (value.empty() || value[0] != '/') {
        value = HomeDirectory() + "/Desktop";
    }
    return value;
}

}  // namespace

const std::vector<FolderStandIn>& FolderStandIns() {
    // Keep this table and the one in the README the same.
    static const std::vector<FolderStandIn> table = {
        {"WINDIR", "$XDG_DATA_HOME/quillmark/ (the suite's own folder; the uninstaller goes here)"},
        {"SYSDIR", "$XDG_DATA_HOME/quillmark/system/"},
        {"CURDIR", "the current directory at start, where Setup.ini is"},
        {"INFDIR", "the registry store's DevicePath if it names a folder, else WINDIR"},
        {"PRGMAN", "the registry store's ProgramFilesDir if it names a folder, else ~/.local/opt/"},
        {"DSKTOP", "the XDG desktop folder (XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop/)"},
        {"STRTMN", "$XDG_DATA_HOME/applications/"},
        {"PRGGRP", "$XDG_DATA_HOME/applications/"},
        {"SENDTO", "$XDG_DATA_HOME/quillmark/sendto/"},
        {"STRTUP", "$XDG_CONFIG_HOME/autostart/"},
        {"USNAME", "the store's RegisteredOwner, else the account's full name (GECOS)"},
        {"USCOMP", "the store's RegisteredOrganization, else empty"},
    };
    return table;
}

SystemFolders CurrentUserFolders() {
    const std::string data = WithTrailingSeparator(DesktopDataHome());
    SystemFolders folders;
    folders.windows = data + "quillmark/";
    folders.system = data + "quillmark/system/";
    folders.programFiles = HomeDirectory() + "/.local/opt/";
    folders.desktop = WithTrailingSeparator(DesktopDirectory());
    folders.startMenu = data + "applications/";
    folders.programs = data + "applications/";
    folders.sendTo = data + "quillmark/sendto/";
    folders.startup = WithTrailingSeparator(ConfigHome()) + "autostart/";
    folders.menus = WithTrailingSeparator(ConfigHome()) + "menus/applications-merged/";
    return folders;
}

std::string AccountFullName() {
#if !defined(_WIN32)
    if (const passwd* account = getpwuid(getuid())) {
        std::string gecos = account->pw_gecos != nullptr ? account->pw_gecos : "";
        gecos = gecos.substr(0, gecos.find(','));
        return gecos.empty() ? std::string(account->pw_name) : gecos;
    }
#endif
    return {};
}

}  // namespace qm::setup
