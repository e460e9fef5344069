// The loop that writes every patch item into every Fastfile its target paths name.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "packlib/packlib.h"
#include "patchapply/install_front_end.h"
#include "patchlib/patchlib.h"

namespace patchapply {

// The Fastfile a target path lives in: a path without a folder (no backslash, or only a
// leading one) names a sound in COMMON.FFL; any other is found through the database by its
// folder. Empty when the folder has no database entry.
struct TargetFastfile {
    std::string fileName;
    bool soundArchive = false;
};
std::optional<TargetFastfile> FindTargetFastfile(const PACKLIBEXPORT& packLib, FFLDB& database,
                                                 const std::string& target);

class InstallLoop {
  public:
    InstallLoop(const PACKLIBEXPORT& packLib, FFLDB& database, InstallFrontEnd& frontEnd,
                std::chrono::milliseconds pause);

    // Shows the progress, installs every item and returns the final status (1: completed).
    int Run(const KDZPATCH& patch);

  private:
    void InstallItem(const KDZITEM& item);
    // Opens, changes, saves and closes the target's Fastfile; returns the new status.
    int InstallTarget(const KDZITEM& item, const std::string& target);
    FFLARCHIVE* OpenTargetArchive(const std::string& target, bool* soundArchive, int* status);
    int WriteItem(FFLARCHIVE* archive, const KDZITEM& item, const std::string& target,
                  bool soundArchive);

    const PACKLIBEXPORT& lib_;
    FFLDB& database_;
    InstallFrontEnd& frontEnd_;
    std::chrono::milliseconds pause_;
    int status_ = 1;
    int saves_ = 0;
};

}  // namespace patchapply
