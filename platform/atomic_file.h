#pragma once

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/export.h"
#include "platform/file_identity.h"

namespace qm {

// The errno value of a save refused because its file changed on disk since it was read.
#if defined(ESTALE)
inline constexpr int kErrorChangedOnDisk = ESTALE;
#else
inline constexpr int kErrorChangedOnDisk = 116;  // what Linux calls ESTALE
#endif

// Writes a user's file so that it is either fully old or fully new: the content goes to a
// temporary file in the target's directory, which is flushed to disk and renamed over the
// target only by Commit(). On any failure, or when the writer is destroyed uncommitted, the
// temporary file is removed and the target is untouched. An existing target keeps its
// permissions, owner and group; a symbolic link stays a link and its destination is replaced.
//
// On Linux the temporary file has no name until it is complete, so a killed save leaves
// nothing behind; where that is not available it gets a short name of its own (".qmtmp-" and
// the process number), and a later save in the same folder removes those whose process ended.
//
// A file the user may not write is not replaced: Open() fails as opening it for writing
// would. A writable file in a folder where no temporary file can be made is rewritten in
// place, after a copy of its old bytes was kept in the save-backups folder (BackupFolder());
// a failed in-place save puts the old bytes back.
//
// On failure Open() and Commit() leave the reason in errno (and in Error()):
// kErrorChangedOnDisk when the target changed on disk since the identity given to
// ExpectUnchanged() was taken.
class QM_PLATFORM_API AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The save fails (kErrorChangedOnDisk) unless the target is still the file described,
    // unchanged: the file a program read, so that a save never overwrites a newer file someone else
    // wrote. A target that no longer exists is created.
    void ExpectUnchanged(const FileIdentity& identity) { expected_ = identity; }

    // Creates the temporary file. False when it cannot be created (no directory, no right,
    // the target is read-only or changed).
    bool Open();
    // The stream to write to (binary).
    std::FILE* Stream() const { return stream_; }
    // Gives the stream a buffer of this many bytes (a null buffer in setvbuf leaves the size
    // to the C library, which glibc then ignores). Call right after Open().
    bool SetBufferSize(std::size_t bytes);
    // Flushes, checks the stream's error indicator, syncs, and renames over the target.
    // False, with the temporary file removed and the target untouched, on any failure.
    bool Commit();
    // Removes the temporary file without touching the target.
    void Discard();

    const std::string& Target() const { return target_; }
    // The errno value of the last failure, 0 when none.
    int Error() const { return error_; }
    // After a successful Commit(): the identity of the file as it is now on disk.
    const std::optional<FileIdentity>& Committed() const { return committed_; }
    // Where the old bytes of a file saved in place were kept ("" when the save was atomic).
    const std::string& BackupPath() const { return backup_; }

    // The folder of the copies kept before saving in place: $XDG_DATA_HOME/quillmark/
    // save-backups (XDG_DATA_HOME defaulting to ~/.local/share).
    static std::string BackupFolder();

  private:
    bool Fail(int error);
    bool OpenTemporary(const std::string& target, unsigned mode);
    bool OpenInPlace(const std::string& target);
    bool CheckUnchanged(const std::string& target);
    bool CommitInPlace();
    bool CommitRename();
    void RestoreInPlace();
    void CloseTarget();

    std::string target_;
    std::string resolved_;
    std::string temporary_;  // a named temporary, "" when unnamed or none
    std::string backup_;
    std::FILE* stream_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::optional<FileIdentity> expected_;
    std::optional<FileIdentity> committed_;
    int targetFd_ = -1;  // the existing target, opened for writing; its lock guards the commit
    bool unnamed_ = false;
    bool inPlace_ = false;
    int error_ = 0;
};

}  // namespace qm
