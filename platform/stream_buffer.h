#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

namespace qm {

// The buffer of a C stream, of the size the caller asked for. setvbuf with a null buffer
// leaves the size to the C library, and glibc then ignores it; this hands it a real one.
// Declare it before the stream it serves: the buffer must outlive the stream.
class StreamBuffer {
  public:
    bool Apply(std::FILE* file, std::size_t bytes) {
        if (file == nullptr || bytes == 0) {
            return false;
        }
        bytes_ = std::make_unique_for_overwrite<char[]>(bytes);
        return std::setvbuf(file, bytes_.get(), _IOFBF, bytes) == 0;
    }

  private:
    std::unique_ptr<char[]> bytes_;
};

}  // namespace qm
