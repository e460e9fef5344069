// Writing an archive back in the layout it came from. The file is written to a temporary
// beside the target and renamed over it only when complete, so a failed save (full disk, size
// limit, crash) never leaves the user's Fastfile truncated.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "packlib/archive_records.h"
#include "packlib/library_state.h"
#include "packlib/packlib_exports.h"
#include "platform/atomic_file.h"
#include "platform/debug_output.h"

namespace packlib {
namespace {

constexpr std::size_t kEntryFixedBytes = 8;

void PutU32(unsigned char* out, std::uint32_t value) {
    out[0] = static_cast<unsigned char>(value);
    out[1] = static_cast<unsigned char>(value >> 8);
    out[2] = static_cast<unsigned char>(value >> 16);
    out[3] = static_cast<unsigned char>(value >> 24);
}

// Items read for listing only have no block; they are written with length 0.
std::uint32_t DataSize(const FFLITEM* item) {
    return item->lpData != nullptr ? item->dwSize : 0;
}

bool Write(std::FILE* file, const void* bytes, std::size_t size) {
    return size == 0 || std::fwrite(bytes, 1, size, file) == size;
}

bool WriteSoundLayout(const FFLARCHIVE* archive, std::FILE* file) {
    for (const FFLITEM* item = archive->lpFirst; item != nullptr; item = item->lpNext) {
        const unsigned char tag[2] = {static_cast<unsigned char>(item->wTag),
                                      static_cast<unsigned char>(item->wTag >> 8)};
        Write(file, tag, sizeof(tag));
        Write(file, item->szPath, std::strlen(item->szPath) + 1);
        Write(file, item->lpData, DataSize(item));
        if (std::ferror(file)) {
            return false;
        }
    }
    const unsigned char endMark[2] = {0xFF, 0xFF};
    return Write(file, endMark, sizeof(endMark));
}

// The directory of the "RFFL" layout, or false when the archive would not fit its 32-bit
// size fields.
bool BuildDirectory(const FFLARCHIVE* archive, std::vector<unsigned char>& directory,
                    std::uint32_t& dataSize) {
    std::uint64_t directoryBytes = 0;
    std::uint64_t dataBytes = 0;
    for (const FFLITEM* item = archive->lpFirst; item != nullptr; item = item->lpNext) {
        directoryBytes += kEntryFixedBytes + PadTo4(std::strlen(item->szPath) + 1);
        dataBytes += PadTo4(DataSize(item));
    }
    if (directoryBytes > UINT32_MAX || dataBytes > UINT32_MAX) {
        return false;
    }
    directory.assign(static_cast<std::size_t>(directoryBytes), 0);
    std::size_t position = 0;
    std::uint64_t offset = 0;
    for (const FFLITEM* item = archive->lpFirst; item != nullptr; item = item->lpNext) {
        const std::size_t pathLength = std::strlen(item->szPath);
        PutU32(&directory[position], static_cast<std::uint32_t>(offset));
        PutU32(&directory[position + 4], DataSize(item));
        std::memcpy(&directory[position + kEntryFixedBytes], item->szPath, pathLength);
        position += kEntryFixedBytes + PadTo4(pathLength + 1);
        offset += PadTo4(DataSize(item));
    }
    dataSize = static_cast<std::uint32_t>(dataBytes);
    return true;
}

bool WriteDirectoryLayout(const FFLARCHIVE* archive, std::FILE* file) {
    std::vector<unsigned char> directory;
    std::uint32_t dataSize = 0;
    if (!BuildDirectory(archive, directory, dataSize)) {
        return false;
    }
    unsigned char header[20] = {'R', 'F', 'F', 'L'};
    PutU32(header + 8, archive->dwCount);
    PutU32(header + 12, static_cast<std::uint32_t>(directory.size()));
    PutU32(header + 16, dataSize);
    if (!Write(file, header, sizeof(header)) || !Write(file, directory.data(), directory.size())) {
        return false;
    }
    static const unsigned char kPadding[4] = {};
    for (const FFLITEM* item = archive->lpFirst; item != nullptr; item = item->lpNext) {
        const std::uint32_t size = DataSize(item);
        Write(file, item->lpData, size);
        if (size % 4 != 0) {
            Write(file, kPadding, 4 - size % 4);
        }
        if (std::ferror(file)) {
            return false;
        }
    }
    return true;
}

}  // namespace
}  // namespace packlib

extern "C" {

PACKLIB_EXPORT bool FFLAPI FFLSaveArchive(FFLARCHIVE* lpArchive, const char* lpszFile) {
    using namespace packlib;
    if (!IsLiveArchive(lpArchive)) {
        qm::DebugOutput("ERROR: FFLSaveArchive() called with invalid parameter!\n");
        return false;
    }
    std::string target =
        (lpszFile != nullptr && lpszFile[0] != '\0') ? lpszFile : lpArchive->szPath;
    if (target.size() > FFL_MAX_PATH - 1) {
        target.resize(FFL_MAX_PATH - 1);
    }
    if (target.empty()) {
        qm::DebugOutput("ERROR: FFLSaveArchive() no filename given!\n");
        return false;
    }
    if (lpArchive->szPath[0] == '\0') {
        CopyPathField(lpArchive->szPath, target);
    }
    qm::AtomicFile file(target);
    if (!file.Open()) {
        qm::DebugOutput("WARNING: FFLSaveArchive() failed to open(create) archive\n");
        return false;
    }
    std::setvbuf(file.Stream(), nullptr, _IOFBF, ArchiveBufferBytes());
    if (lpArchive->bSound != 0) {
        // The sound layout reports its failures by the result alone.
        return WriteSoundLayout(lpArchive, file.Stream()) && file.Commit();
    }
    if (!WriteDirectoryLayout(lpArchive, file.Stream()) || !file.Commit()) {
        qm::DebugOutput("ERROR: FFLSaveArchive() failed to save archive!\n");
        return false;
    }
    return true;
}

}  // extern "C"
