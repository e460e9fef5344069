#pragma once

#include <cstdio>
#include <string>

#include "platform/export.h"

namespace qm {

// Writes a user's file so that it is either fully old or fully new: the content goes to a
// temporary file in the target's directory, which is flushed to disk and renamed over the
// target only by Commit(). On any failure, or when the writer is destroyed uncommitted, the
// temporary file is removed and the target is untouched. An existing target keeps its
// permissions; a symbolic link stays a link and its destination is replaced.
class QM_PLATFORM_API AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file. False when it cannot be created (no directory, no right).
    bool Open();
    // The stream to write to (binary; callers may setvbuf it right after Open()).
    std::FILE* Stream() const { return stream_; }
    // Flushes, checks the stream's error indicator, syncs, and renames over the target.
    // False, with the temporary file removed and the target untouched, on any failure.
    bool Commit();
    // Removes the temporary file without touching the target.
    void Discard();

    const std::string& Target() const { return target_; }

  private:
    std::string target_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
};

}  // namespace qm
