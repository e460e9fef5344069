// Before an installation changes any Fastfile, the record of what it will replace is written
// (see suite/install_record.h), so that the installation can be taken back out even when it
// is cut short.
#pragma once

#include <optional>
#include <string>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"

namespace patchapply {

// Reads every target the patch names, silently (targets that cannot be reached are left to
// the installation, which asks about them), and writes the record. Returns its folder ("" when
// the patch reaches no target, so that nothing needs keeping), or nullopt with `error` set.
std::optional<std::string> RecordInstallation(const PACKLIBEXPORT& packLib, FFLDB& database,
                                              const PATCHLIBEXPORT& patchLib, const KDZPATCH& patch,
                                              std::string* error);

// Tests cut an installation short at a chosen point to check what a killed run leaves: when
// the environment variable holds `count`, the process ends at once, as a kill would end it.
void StopHereForTests(const char* variable, int count);

}  // namespace patchapply
