#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "setup/file_version.h"

namespace qm::setup {

// What the installation asks of the system beyond files and the registry. Tests replace
// single operations (a full disk, a program that never ends) by deriving from the default.
class SetupServices {
  public:
    virtual ~SetupServices();

    // Bytes free for this user on the drive of the directory; nothing when unknown.
    virtual std::optional<std::uint64_t> FreeSpace(const std::string& directory);
    virtual std::optional<FileVersion> Version(const std::string& path);
    // Loads the library and calls its entry point ("DllRegisterServer") when it has one; true
    // when it was found. What the entry point returns is not examined.
    virtual bool CallServerEntry(const std::string& library, const char* entryPoint);
    // Starts a program hidden with one parameter ("/RegServer") and waits at most `wait` for
    // it; true when it started.
    virtual bool StartProgram(const std::string& program, const std::string& parameter,
                              std::chrono::milliseconds wait);
    // Readies whatever shortcuts need; false when they cannot be made at all.
    virtual bool PrepareShortcuts();
    // Tells the desktop and the suite's running programs that things changed.
    virtual void NotifyInstalled(const std::string& destination, const std::string& group);
};

}  // namespace qm::setup
