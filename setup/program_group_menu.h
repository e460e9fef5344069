#pragma once

#include <string>
#include <vector>

// A program group on the Linux desktop: its entries lie in a folder below the menu's
// applications folder, and a merged menu file makes them one submenu (nested for a group
// such as "Quillmark\Tools").
namespace qm::setup {

struct ProgramGroupMenu {
    std::string fileName;  // in $XDG_CONFIG_HOME/menus/applications-merged/
    std::string text;
};

// `groupPath` is the group folder relative to the applications folder ("Quillmark Demo/");
// `entryNames` the file names of the entries in it. Nothing (empty file name) for the
// applications folder itself or a folder outside it.
ProgramGroupMenu MakeProgramGroupMenu(const std::string& programsFolder,
                                      const std::string& groupFolder,
                                      const std::vector<std::string>& entryNames);

}  // namespace qm::setup
