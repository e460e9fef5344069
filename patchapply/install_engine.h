// Installs a Fastfile patch into the game's Fastfiles through the bound PackLib and
// PatchLib. Questions go through qm::ShowMessageBox; the rest of the interface through
// an InstallFrontEnd.
#pragma once

#include <chrono>
#include <string>

#include "packlib/packlib.h"
#include "patchapply/command_line.h"
#include "patchapply/install_front_end.h"
#include "patchlib/patchlib.h"

namespace patchapply {

// 1 (IDOK) while the installation goes on; any other answer stops it.
inline constexpr int kStatusGoOn = 1;
inline constexpr int kStatusStop = 2;

enum class RunOutcome {
    Installed,  // the loop ran to its end with the status still 1
    Stopped,    // the user stopped the loop (or a Cancel answer)
    Ended,      // ended before installing (a failure shown, or the user declined)
};

struct InstallOptions {
    // Pause between target paths, so that the progress stays readable; tests use 0.
    std::chrono::milliseconds pause{200};
};

PatchTexts ReadPatchTexts(const KDZPATCH& patch);

// Everything after binding: read-only check, database, patch, information, install loop,
// success message and broadcast. The records must be filled by the libraries' init exports.
RunOutcome RunInstallation(const PACKLIBEXPORT& packLib, const PATCHLIBEXPORT& patchLib,
                           const CommandLine& command, InstallFrontEnd& frontEnd,
                           const InstallOptions& options = {});

// Binds "PackLib.dll" and "PatchLib.dll" by their init exports, then runs the installation.
// A library that cannot be bound is reported with the installer's message and ends the run.
RunOutcome RunInstaller(const CommandLine& command, InstallFrontEnd& frontEnd,
                        const InstallOptions& options = {});

}  // namespace patchapply
