// The loop that writes every patch item into every Fastfile its target paths name.
#pragma once

#include <chrono>
#include <string>

#include "packlib/packlib.h"
#include "patchapply/install_front_end.h"
#include "patchlib/patchlib.h"

namespace patchapply {

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
};

}  // namespace patchapply
