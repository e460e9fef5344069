// Shared pieces of the fuzz targets: a scratch file for the entry points that take a file
// name, and the libraries' function records bound once per process.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"

extern "C" bool FFLAPI PackLibInit(PACKLIBEXPORT* lpExport);
extern "C" bool KDZAPI PatchLibInit(PATCHLIBEXPORT* lpExport);

#define QMFUZZ_FAIL() ::qmfuzz::Fail(__FILE__, __LINE__)

namespace qmfuzz {

// A property every input must keep is broken: say which check, for the crash report.
[[noreturn]] inline void Fail(const char* file, int line) {
    std::fprintf(stderr, "qmfuzz: check failed at %s:%d\n", file, line);
    std::abort();
}

// A file in memory-backed storage when there is some, named after the process so parallel
// fuzz jobs never share one. Removed when the object goes; a crash leaves it for the next run
// of the same process id to overwrite.
class ScratchFile {
  public:
    explicit ScratchFile(const char* name) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path_ = std::string(dir) + "/qmfuzz-" + std::to_string(getpid()) + "-" + name;
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's contents; aborts when the scratch storage fails, since every later
    // run would then test the file system instead of the parser.
    void Write(const std::uint8_t* data, std::size_t size) const {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr) {
            std::perror(path_.c_str());
            std::abort();
        }
        const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
        if (std::fclose(file) != 0 || !written) {
            std::perror(path_.c_str());
            std::abort();
        }
    }
    const char* Path() const { return path_.c_str(); }

  private:
    std::string path_;
};

inline const PACKLIBEXPORT& PackLib() {
    static const PACKLIBEXPORT record = [] {
        PACKLIBEXPORT r{};
        r.dwSize = sizeof r;
        if (!PackLibInit(&r)) {
            std::abort();
        }
        return r;
    }();
    return record;
}

inline const PATCHLIBEXPORT& PatchLib() {
    static const PATCHLIBEXPORT record = [] {
        PATCHLIBEXPORT r{};
        r.dwSize = sizeof r;
        if (!PatchLibInit(&r)) {
            std::abort();
        }
        return r;
    }();
    return record;
}

// Touches every byte, so a length that outruns its block is caught by the sanitizer here
// rather than later in a caller.
inline unsigned Checksum(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        sum += bytes[i];
    }
    return sum;
}

}  // namespace qmfuzz
