#pragma once

#include <span>
#include <string>
#include <vector>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"
#include "platform/library_binding.h"

namespace fftool {

// What every command gets: its arguments (after the command name) and the libraries, bound
// on first use through their init exports, as every program of the suite binds them.
class Context {
  public:
    explicit Context(std::vector<std::string> args) : args_(std::move(args)) {}

    const std::vector<std::string>& Args() const { return args_; }

    // Null after printing a message to stderr when the library cannot be bound.
    const PACKLIBEXPORT* PackLib();
    const PATCHLIBEXPORT* PatchLib();

  private:
    std::vector<std::string> args_;
    qm::LibraryBinding<PACKLIBEXPORT> packLib_;
    qm::LibraryBinding<PATCHLIBEXPORT> patchLib_;
};

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the operation failed (file unreadable, item missing)
inline constexpr int kExitUsage = 2;    // the command line is wrong

struct Command {
    const char* name;     // "list", "db", "patch", ...
    const char* usage;    // arguments, for --help
    const char* summary;  // one line, for --help
    int (*run)(Context& context);
};

// The command groups, one file each.
std::span<const Command> ArchiveCommands();
std::span<const Command> DatabaseCommands();
std::span<const Command> PatchCommands();
std::span<const Command> RecordCommands();
std::span<const Command> TextureCommands();

// Prints "fftool: <message>" to stderr and returns kExitUsage.
int UsageError(const std::string& message);
// Prints "fftool: <message>" to stderr and returns kExitFailure.
int Failure(const std::string& message);

}  // namespace fftool
