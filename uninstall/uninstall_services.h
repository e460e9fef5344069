#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// What the removal asks of the system. Tests replace single operations (a file that cannot
// be deleted, a server that refuses, the restart) by deriving from the default.
namespace qm::uninstall {

class UninstallServices {
  public:
    virtual ~UninstallServices();

    // Loads the library and calls its "DllUnregisterServer"; what it returned, or nothing when
    // the library cannot be loaded or has no such entry point.
    virtual std::optional<long> CallUnregisterServer(const std::string& library);
    // Starts a program hidden with one parameter ("/UnRegServer") and waits at most `wait` for
    // it; true when it started.
    virtual bool StartProgram(const std::string& program, const std::string& parameter,
                              std::chrono::milliseconds wait);
    // Deletes a file (or a link) now.
    virtual bool DeleteFile(const std::string& path);
    // Removes a directory when it is empty; false when it is not or cannot be removed.
    virtual bool RemoveEmptyFolder(const std::string& path);
    // Notes a file for deletion once it can go; the list is written by SaveScheduled().
    virtual void ScheduleDeletion(const std::string& path);
    // Writes the scheduled files to the pending-deletion list (with its login cleanup). True
    // when nothing was scheduled or the list was written.
    virtual bool SaveScheduled();
    // Tells the desktop that menus, icons and file types changed.
    virtual void NotifyRemoved();
    // Restarts the computer; false when that could not be asked for. With QM_NO_RESTART=1 in
    // the environment it only says so and succeeds.
    virtual bool Restart();

    const std::vector<std::string>& Scheduled() const { return scheduled_; }

  private:
    std::vector<std::string> scheduled_;
};

}  // namespace qm::uninstall
