#pragma once

#include <string>

#include "inidoc/ini_document.h"

// Uninstall without a window: for removing the suite from a script and for tests.
namespace qm::uninstall {

class UninstallServices;

// Takes the unattended switch ("--unattended" or "/S") off the front or the end of the
// command line, as a registered command with the switch appended brings it; true when it was
// there. A log whose own name is only the switch is not touched.
bool TakeUnattendedSwitch(std::string& commandLine);

// Every page is left with what it first shows: the standard removal (no entry kept), the
// removal run to its end, and Finish pressed, which restarts the computer when the finish
// page would offer that. Questions go to the message-box service. The program's result: 0
// when the removal ran, -1 when it failed.
int RunUnattended(const CIniDocument& log, UninstallServices& services);

}  // namespace qm::uninstall
