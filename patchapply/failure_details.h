// The line the installer adds under its fixed messages: which file, and why the step failed.
#pragma once

#include <string>

#include "platform/debug_output.h"

namespace patchapply {

// Collects what the libraries write to the debug output while it lives, so that a failed
// call's own diagnostic can name the cause (a file cut off, a bad size, a full disk).
class FailureDetails {
  public:
    // `what` names the file ("Fastfile \"menus.ffl\""); the cause is the last line the libraries
    // wrote, without its "ERROR: " or "WARNING: ".
    std::string Describe(const std::string& what) const;

  private:
    qm::DebugCapture capture_;
};

// A file named for a details line: kind and name in quotes ("Fastfile \"menus.ffl\"").
std::string Named(const char* kind, const std::string& name);

}  // namespace patchapply
