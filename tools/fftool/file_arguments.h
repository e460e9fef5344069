// How fftool turns command-line arguments into the names the libraries get, reads source
// files, and words why a file could not be read or written.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fftool {

// A Fastfile named on the command line, as PackLib should get it. PackLib looks a bare name
// up in the game's Fastfile directory first; the tool means the file the user named, so a
// relative name gets "./" in front (which the lookup takes as it is) instead of being made
// absolute, which could lengthen it past what a path may hold.
std::string ArchiveFileArgument(const std::string& argument);

// An item path typed on the command line: "/" is accepted for the "\" that Fastfiles use.
std::string ItemPathArgument(const std::string& argument);

// The whole content of a source file; nothing, with the reason in *why, when it is not a
// regular file (a directory, a FIFO or a device would hang or fail the read), cannot be read,
// or is too large for an item.
std::optional<std::vector<char>> ReadSourceFile(const std::string& path, std::string* why);

// Whether `path` names a regular file; when not, why not in *why (missing, a directory, a
// FIFO, a device), so that nothing opens it and waits on it.
bool IsRegularSource(const std::string& path, std::string* why);

// Why a file could not be written, from the errno value the library left ("the disk is full",
// "permission denied", ...).
std::string WriteFailureReason(int error);

// Why a file could not be read as what it should be: missing, not a regular file, not
// readable, or (when it exists and can be read) damaged. `what` names the kind of file
// ("Fastfile", "patch").
std::string ReadFailureMessage(const std::string& path, const std::string& what);

}  // namespace fftool
