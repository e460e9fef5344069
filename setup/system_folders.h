#pragma once

#include <string>
#include <vector>

// The folders that Setup.ini's variables name. On Windows they are the system's; elsewhere a
// per-user installation stands in for them (no root needed), following the XDG base
// directories of the account. Every folder ends with the directory separator.
namespace qm::setup {

struct SystemFolders {
    std::string windows;       // WINDIR
    std::string system;        // SYSDIR
    std::string programFiles;  // PRGMAN unless the registry names an existing folder
    std::string desktop;       // DSKTOP
    std::string startMenu;     // STRTMN
    std::string programs;      // PRGGRP
    std::string sendTo;        // SENDTO
    std::string startup;       // STRTUP
    std::string menus;         // merged menu files that make program groups submenus
};

// One row of the table of stand-ins: the variable and what it stands for here.
struct FolderStandIn {
    const char* variable;
    const char* meaning;
};
const std::vector<FolderStandIn>& FolderStandIns();

// The folders of the current account, from $HOME, $XDG_DATA_HOME, $XDG_CONFIG_HOME and the
// desktop folder of $XDG_CONFIG_HOME/user-dirs.dirs (or $XDG_DESKTOP_DIR).
SystemFolders CurrentUserFolders();

// The account's full name (the first field of its GECOS entry), else its login name.
std::string AccountFullName();

}  // namespace qm::setup
