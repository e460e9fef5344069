#pragma once

#include <string>

#include "setup/system_folders.h"

namespace qm::setup {

class CSetupSession;
class SetupServices;
class SetupSystem;

enum class WizardEnd { Cancelled, Failed, Succeeded };
struct WizardResult {
    WizardEnd end = WizardEnd::Cancelled;
    bool restart = false;  // Finish on a finish page that asks for a restart
};

// Shows the wizard (and the background window of [MainFrame]) over a session whose page
// table is built; returns how it ended.
class WizardFront {
  public:
    virtual ~WizardFront();
    virtual WizardResult Run(CSetupSession& session) = 0;
};

// The program result: -1 when Setup ends early or the wizard is cancelled or fails, 1 when
// it restarts the computer, 0 otherwise.
inline constexpr int kSetupFailed = -1;
inline constexpr int kSetupDone = 0;
inline constexpr int kSetupRestarts = 1;

// Setup from start to end: Setup.ini, undoing runs a killed Setup left, the PreInstall
// module, the extension library, the wizard, SetupExit, the restart or PostInstall.
int RunSetupProgram(const std::string& currentDirectory, const SystemFolders& folders,
                    SetupServices& services, SetupSystem& system, WizardFront& front);

}  // namespace qm::setup
