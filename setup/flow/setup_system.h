#pragma once

#include <optional>
#include <string>

namespace qm::setup {

// What Setup's program flow asks of the desktop and the system: starting the modules,
// opening the finish page's options, restarting the computer. Tests replace it.
class SetupSystem {
  public:
    virtual ~SetupSystem();

    // Starts a program in a normal window. Without waiting, the result is 0 once it started;
    // with waiting, its exit code. Nothing when it could not be started.
    virtual std::optional<int> StartProgram(const std::string& program, bool wait);
    // Opens a file or program as the desktop does (a program runs, a document opens in its
    // program) with the arguments and working directory when they are not empty.
    virtual bool Open(const std::string& file, const std::string& arguments,
                      const std::string& directory);
    // Asks the system to restart; true when it took the request. On Linux this is the
    // session manager's reboot request (systemctl, which asks logind).
    virtual bool RestartComputer();
};

}  // namespace qm::setup
