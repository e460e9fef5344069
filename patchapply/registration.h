// Registers the installer for ".kdz" files and under the suite's key, and removes that again.
#pragma once

#include <string>

namespace patchapply {

// programPath: the installer's full file name. Failures are ignored, entry by entry.
void RegisterInstaller(const std::string& programPath);
void UnregisterInstaller();

}  // namespace patchapply
