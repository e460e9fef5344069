// Writing an archive back in the layout it came from. The file is written to a temporary
// beside the target and renamed over it only when complete, so a failed save (full disk, size
// limit, crash) never leaves the user's Fastfile truncated; a file that someone else saved
// since the archive was read is not overwritten.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
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

// Why a sound archive cannot be written so that it reads back, or null when it can: every
// record needs a path and one whole RIFF chunk, and a reader takes no file under 20 bytes.
const char* SoundLayoutFault(const FFLARCHIVE* archive) {
    std::uint64_t fileBytes = 2;
    for (const FFLITEM* item = archive->lpFirst; item != nullptr; item = item->lpNext) {
        if (item->szPath[0] == '\0' || !IsOneRiffChunk(item->lpData, DataSize(item))) {
            return " a sound archive's item is not exactly one RIFF chunk\n";
        }
        fileBytes += 2 + std::strlen(item->szPath) + 1 + DataSize(item);
    }
    if (fileBytes < 20) {
        return " a sound archive this small could not be read back\n";
    }
    return nullptr;
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

// The second line of a failed save's diagnostic, naming the cause when one is known.
void ReportCause(int error) {
    if (error == qm::kErrorChangedOnDisk) {
        qm::DebugOutput(" the file changed on disk since it was read\n");
    }
}

// Of the file the archive was read from: the state it had then, when the save goes back to
// it (by the archive's own path or by another name of the same file).
std::optional<qm::FileIdentity> StateToKeep(const FFLARCHIVE* archive, const std::string& target) {
    const auto read = ArchiveFileStates().Get(archive);
    if (!read) {
        return std::nullopt;
    }
    if (target == archive->szPath) {
        return read;
    }
    const auto now = qm::IdentityOf(target);
    return now && now->SameFile(*read) ? read : std::nullopt;
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
    const std::string target =
        (lpszFile != nullptr && lpszFile[0] != '\0') ? lpszFile : lpArchive->szPath;
    // A name cut to fit would be another file, which the save would then overwrite.
    if (target.size() > FFL_MAX_PATH - 1) {
        qm::DebugOutput("ERROR: FFLSaveArchive() called with invalid parameter!\n");
        qm::DebugOutput(" required: lpszFile < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return false;
    }
    if (target.empty()) {
        qm::DebugOutput("ERROR: FFLSaveArchive() no filename given!\n");
        return false;
    }
    // Checked before the file is touched: a sound archive that would not read back is not
    // written at all.
    if (lpArchive->bSound != 0) {
        if (const char* fault = SoundLayoutFault(lpArchive)) {
            qm::DebugOutput("ERROR: FFLSaveArchive() failed to save archive!\n");
            qm::DebugOutput(fault);
            errno = EINVAL;
            return false;
        }
    }
    const auto keep = StateToKeep(lpArchive, target);
    if (lpArchive->szPath[0] == '\0') {
        CopyPathField(lpArchive->szPath, target);
    }
    qm::AtomicFile file(target);
    if (keep) {
        file.ExpectUnchanged(*keep);
    }
    if (!file.Open()) {
        const int error = file.Error();
        qm::DebugOutput("WARNING: FFLSaveArchive() failed to open(create) archive\n");
        ReportCause(error);
        errno = error;
        return false;
    }
    file.SetBufferSize(ArchiveBufferBytes());
    const bool written = lpArchive->bSound != 0 ? WriteSoundLayout(lpArchive, file.Stream())
                                                : WriteDirectoryLayout(lpArchive, file.Stream());
    if (!written || !file.Commit()) {
        const int error = written ? file.Error() : (errno != 0 ? errno : EIO);
        file.Discard();
        // The sound layout reports its failures by the result alone.
        if (lpArchive->bSound == 0 || error == qm::kErrorChangedOnDisk) {
            qm::DebugOutput("ERROR: FFLSaveArchive() failed to save archive!\n");
            ReportCause(error);
        }
        errno = error;
        return false;
    }
    // Saved back to its own file: later saves compare with the file as written now.
    if (file.Committed() && (keep || target == lpArchive->szPath)) {
        ArchiveFileStates().Set(lpArchive, *file.Committed());
    }
    return true;
}

}  // extern "C"
