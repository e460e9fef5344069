#pragma once

#include <string>
#include <string_view>
#include <vector>

// How Setup.ini's path values are told apart and joined to their base directories.
namespace qm::setup {

enum class PathClass {
    Empty,
    DriveAbsolute,  // "C:", "C:\...", "C:/..."
    Network,        // "\\name", "//name"
    Url,            // "http:", "file:", "ftp:", "gopher:", "mailto:", "res:"
    Rooted,         // "/..." where that is an absolute path (not on Windows)
    Relative,
};

PathClass ClassifyPath(std::string_view path);
inline bool IsRelativePath(std::string_view path) {
    return ClassifyPath(path) == PathClass::Relative;
}

// The platform's directory separator at the end, added when missing (not to an empty text).
std::string WithTrailingSeparator(std::string path);

// Setup.ini is written with Windows separators; elsewhere a backslash in a file path is read
// as the directory separator, since no installation means a backslash inside a file name.
std::string NativePath(std::string path);

// base + relative: the base gets a trailing separator, one leading separator of the
// relative part is dropped.
std::string JoinToBase(std::string_view base, std::string_view relative);

// The value itself when it is absolute (or empty), else joined to the base; in native form.
std::string ResolvePath(std::string_view base, std::string_view value);

// The part after the last separator of either kind.
std::string FileNamePart(std::string_view path);

// Creates a missing directory with its missing parents. Appends to `made` every folder this
// made, parents first and with a trailing separator, so that the uninstall log can list them
// all; true when the directory exists afterwards.
bool MakeDirectoryChain(const std::string& path, std::vector<std::string>& made);

}  // namespace qm::setup
