// Takes an installed patch back out from its record, asking through qm::ShowMessageBox
// before it puts old bytes over items that changed since the installation.
#pragma once

#include <cstdio>

#include "packlib/packlib.h"
#include "patchapply/command_line.h"
#include "patchapply/install_front_end.h"
#include "patchlib/patchlib.h"

namespace patchapply {

// True when the record's installation was taken out and the record deleted.
bool RunUninstall(const PACKLIBEXPORT& packLib, const PATCHLIBEXPORT& patchLib,
                  const CommandLine& command, InstallFrontEnd& frontEnd);

// Prints every installed patch, newest first (title, time, record folder); the terminal's
// answer to "-uninstall" without a record. Returns the program's exit status.
int ListInstalledPatches(std::FILE* out);

// Binds the libraries by their init exports, then runs the uninstall.
bool RunUninstaller(const CommandLine& command, InstallFrontEnd& frontEnd);

}  // namespace patchapply
