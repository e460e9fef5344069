// Where `extract` and `patch extract` write: the files go below one directory chosen by the
// user, never through a symbolic link found below it (the names come from a stranger's file,
// and a link placed there would send the write elsewhere), each one complete or not at all,
// and what a failed extract created can be removed again.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fftool {

// The item path as a relative file system path below the extraction directory, or nothing
// when it could lead outside it: absolute paths, drive letters, "." and ".." components and
// empty components are refused.
std::optional<std::filesystem::path> SafeRelativePath(const std::string& itemPath);

class ExtractionDirectory {
  public:
    explicit ExtractionDirectory(std::filesystem::path root) : root_(std::move(root)) {}

    // "" when the file `relative` (below the root) can be written; otherwise why not: a
    // component below the root is a symbolic link (dangling or not), a folder on the way is a
    // file, or the target is a directory. Touches nothing.
    std::string Check(const std::filesystem::path& relative) const;

    // Creates the root and the missing folders, then writes the file atomically. False with
    // the reason in *why.
    bool Write(const std::filesystem::path& relative, const void* data, std::size_t size,
               std::string* why);
    // The same without waiting for the disk: the file is still whole or not there (written
    // beside itself and renamed), but not synced, for a run that writes thousands of files
    // it can write again.
    bool WriteQuickly(const std::filesystem::path& relative, const void* data, std::size_t size,
                      std::string* why);

    // Removes the files and folders that Write() created, the newest first.
    void RemoveCreated();

    std::filesystem::path PathOf(const std::filesystem::path& relative) const {
        return root_ / relative;
    }

  private:
    bool Prepare(const std::filesystem::path& relative, std::string* why);
    bool MakeFolder(const std::filesystem::path& folder, std::string* why);

    std::filesystem::path root_;
    std::vector<std::filesystem::path> created_;
};

}  // namespace fftool
