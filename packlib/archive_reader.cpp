// Reading Fastfiles: the "RFFL" directory layout and the headerless sound archive layout.
// Every size taken from a file is checked against the file's real length before anything is
// allocated or read, so a damaged or hostile file fails instead of being read out of bounds.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "packlib/archive_records.h"
#include "packlib/library_state.h"
#include "packlib/packlib_exports.h"
#include "platform/byte_order.h"
#include "platform/debug_output.h"
#include "platform/file_identity.h"
#include "platform/file_search.h"

namespace packlib {
namespace {

constexpr std::size_t kHeaderBytes = 20;
constexpr std::size_t kEntryFixedBytes = 8;
constexpr std::size_t kMinEntryBytes = 12;
constexpr std::size_t kMaxItemPath = FFL_MAX_PATH - 1;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct ArchiveDeleter {
    void operator()(FFLARCHIVE* archive) const { FreeArchiveRecord(archive); }
};
using ArchivePtr = std::unique_ptr<FFLARCHIVE, ArchiveDeleter>;

// What differs between a full open and a names-only parse.
struct ReadMode {
    bool withData;
    std::uint32_t bufferBytes;
    const char* openFailed;
    const char* readFailed;
    const char* invalidParameter;
    const char* function;  // "FFLOpenArchive()", for the line naming the cause
};

// Why a read failed, told after the function's usual line; left empty for a failed
// allocation, which that line already names.
using Cause = std::string;

constexpr const char* kDirectoryCut =
    "the file is cut off: its directory or data block ends past the end of the file";
constexpr const char* kReadError = "the file could not be read";

bool Fail(Cause& cause, const char* why) {
    cause = why;
    return false;
}

bool Seek(std::FILE* file, std::uint64_t offset, int origin) {
#if defined(_WIN32)
    return _fseeki64(file, static_cast<__int64>(offset), origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

std::optional<std::uint64_t> FileLength(std::FILE* file) {
    if (!Seek(file, 0, SEEK_END)) {
        return std::nullopt;
    }
#if defined(_WIN32)
    const __int64 end = _ftelli64(file);
#else
    const off_t end = ftello(file);
#endif
    if (end < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(end);
}

// A block read from the file, followed by one zero byte so that texts in it always end.
// Left uninitialised before the read: blocks can be hundreds of megabytes.
struct Block {
    std::unique_ptr<unsigned char[]> bytes;
    const unsigned char* data() const { return bytes.get(); }
};

// Reads exactly `size` bytes at `offset`.
std::optional<Block> ReadBlock(std::FILE* file, std::uint64_t offset, std::uint64_t size) {
    if (!Seek(file, offset, SEEK_SET)) {
        return std::nullopt;
    }
    Block block{
        std::make_unique_for_overwrite<unsigned char[]>(static_cast<std::size_t>(size) + 1)};
    block.bytes[size] = 0;
    if (size != 0 &&
        std::fread(block.bytes.get(), 1, static_cast<std::size_t>(size), file) != size) {
        return std::nullopt;
    }
    return block;
}

// Length of the zero-terminated text at `text`, looking at most `available` bytes; nullopt
// when no terminator lies within them.
std::optional<std::size_t> TerminatedLength(const unsigned char* text, std::uint64_t available) {
    const auto* end = static_cast<const unsigned char*>(
        std::memchr(text, 0, static_cast<std::size_t>(available)));
    if (end == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(end - text);
}

struct Header {
    std::uint32_t count;
    std::uint32_t directorySize;
    std::uint32_t dataSize;
};

// Where an item's data lies in the data block.
struct DataRange {
    FFLITEM* item;
    std::uint64_t offset;
    std::uint32_t length;
};

// Walks the directory and builds the items, without data. False on any bad entry or
// allocation failure; every range is checked to lie inside the data block.
bool ReadDirectory(FFLARCHIVE* archive, const Header& header, const Block& directory, bool withData,
                   std::vector<DataRange>& ranges, Cause& cause) {
    const std::uint64_t directorySize = header.directorySize;
    ItemAppender appender(archive);
    std::uint64_t position = 0;
    while (archive->dwCount < header.count && position + kMinEntryBytes <= directorySize) {
        const unsigned char* entry = directory.data() + position;
        const std::uint64_t offset = qm::GetU32LE(entry);
        const std::uint32_t length = qm::GetU32LE(entry + 4);
        const auto pathLength =
            TerminatedLength(entry + kEntryFixedBytes, directorySize - position - kEntryFixedBytes);
        if (!pathLength || *pathLength > kMaxItemPath) {
            return Fail(cause,
                        "bad entry: an item path without its end or of 260 characters or more");
        }
        if (offset + length > header.dataSize) {
            return Fail(cause, "bad size: an item lies outside the data block");
        }
        const char* path = reinterpret_cast<const char*>(entry + kEntryFixedBytes);
        FFLITEM* item = NewItemRecord(std::string_view(path, *pathLength), nullptr, 0);
        if (item == nullptr) {
            return false;
        }
        // A names-only parse has no data to hold, but keeps the length the directory lists so
        // that a listing can show sizes without reading the data block. The data stays null,
        // so FFLGetItemData reports nothing and a save writes the item empty.
        if (!withData) {
            item->dwSize = length;
        }
        appender.Append(item);
        ranges.push_back({item, offset, length});
        position += kEntryFixedBytes + PadTo4(*pathLength + 1);
    }
    return true;
}

// Reads every item's data straight into its own block. Items written by the library follow
// each other, so the file is read front to back and seeks are only needed for files laid out
// otherwise.
bool ReadItemData(std::FILE* file, std::uint64_t dataStart, const std::vector<DataRange>& ranges,
                  Cause& cause) {
    std::uint64_t position = UINT64_MAX;
    for (const DataRange& range : ranges) {
        if (range.length == 0) {
            continue;
        }
        const std::uint64_t at = dataStart + range.offset;
        if (at != position && !Seek(file, at, SEEK_SET)) {
            return Fail(cause, kReadError);
        }
        auto* block = static_cast<unsigned char*>(std::malloc(range.length));
        if (block == nullptr) {
            return false;
        }
        range.item->lpData = block;
        range.item->dwSize = range.length;
        if (std::fread(block, 1, range.length, file) != range.length) {
            return Fail(cause, kReadError);
        }
        position = at + range.length;
    }
    return true;
}

// The directory layout, after the header was read. Null on failure (diagnostic left to the
// caller).
ArchivePtr ReadDirectoryLayout(std::FILE* file, std::uint64_t fileLength, const Header& header,
                               const std::string& path, const ReadMode& mode, Cause& cause) {
    ArchivePtr archive(NewArchiveRecord(path));
    if (!archive) {
        return nullptr;
    }
    const bool hasEntries = header.count != 0 && header.directorySize != 0;
    if (!hasEntries || (mode.withData && header.dataSize == 0)) {
        return archive;
    }
    // Sizes come from the file: nothing is allocated for a block the file cannot hold. An
    // open needs both blocks whole; a parse reads only the directory, so a file whose data
    // block alone is cut short still lists its names.
    const std::uint64_t dataStart = kHeaderBytes + std::uint64_t{header.directorySize};
    const std::uint64_t needed = mode.withData ? dataStart + header.dataSize : dataStart;
    if (needed > fileLength) {
        Fail(cause, kDirectoryCut);
        return nullptr;
    }
    auto directory = ReadBlock(file, kHeaderBytes, header.directorySize);
    if (!directory) {
        Fail(cause, kReadError);
        return nullptr;
    }
    std::vector<DataRange> ranges;
    if (!ReadDirectory(archive.get(), header, *directory, mode.withData, ranges, cause)) {
        return nullptr;
    }
    if (mode.withData && !ReadItemData(file, dataStart, ranges, cause)) {
        return nullptr;
    }
    return archive;
}

// One record of a sound archive at `position`; false when it is malformed.
struct SoundRecord {
    std::uint16_t tag;
    std::string_view path;
    std::uint64_t chunkOffset;  // where "RIFF" starts
    std::uint32_t chunkBytes;   // the whole chunk, "RIFF" and length included
};

std::optional<SoundRecord> ReadSoundRecord(const Block& file, std::uint64_t length,
                                           std::uint64_t position, Cause& cause) {
    if (position + 2 > length) {
        Fail(cause, "the file is cut off inside a sound record");
        return std::nullopt;
    }
    SoundRecord record{};
    record.tag = qm::GetU16LE(file.data() + position);
    const std::uint64_t pathStart = position + 2;
    // The buffer carries a zero after the content, so a terminator is always found.
    const auto pathLength = TerminatedLength(file.data() + pathStart, length + 1 - pathStart);
    if (!pathLength || *pathLength == 0 || *pathLength > kMaxItemPath) {
        Fail(cause,
             "bad magic: neither \"RFFL\" nor a sound record with a path of 1 to 259 "
             "characters");
        return std::nullopt;
    }
    record.path =
        std::string_view(reinterpret_cast<const char*>(file.data() + pathStart), *pathLength);
    record.chunkOffset = pathStart + *pathLength + 1;
    if (record.chunkOffset + 8 > length) {
        Fail(cause, "the file is cut off inside a sound record");
        return std::nullopt;
    }
    if (std::memcmp(file.data() + record.chunkOffset, "RIFF", 4) != 0) {
        Fail(cause, "bad magic: a sound record without \"RIFF\" after its path");
        return std::nullopt;
    }
    const std::uint64_t chunkBytes =
        std::uint64_t{qm::GetU32LE(file.data() + record.chunkOffset + 4)} + 8;
    if (chunkBytes > UINT32_MAX || record.chunkOffset + chunkBytes > length) {
        Fail(cause, "the file is cut off: a RIFF chunk ends past the end of the file");
        return std::nullopt;
    }
    record.chunkBytes = static_cast<std::uint32_t>(chunkBytes);
    return record;
}

// The 16-bit end mark the library writes after the last sound record.
bool EndsWithEndMark(const Block& file, std::uint64_t length, std::uint64_t position) {
    return length - position >= 2 && file.data()[position] == 0xFF &&
           file.data()[position + 1] == 0xFF;
}

ArchivePtr ReadSoundLayout(std::FILE* file, std::uint64_t fileLength, const std::string& path,
                           const ReadMode& mode, Cause& cause) {
    if (fileLength == 0) {
        return nullptr;
    }
    auto content = ReadBlock(file, 0, fileLength);
    if (!content) {
        Fail(cause, kReadError);
        return nullptr;
    }
    if (!ReadSoundRecord(*content, fileLength, 0, cause)) {
        return nullptr;
    }
    ArchivePtr archive(NewArchiveRecord(""));
    if (!archive) {
        return nullptr;
    }
    archive->bSound = 1;
    ItemAppender appender(archive.get());
    std::uint64_t position = 0;
    while (fileLength - position > 8) {
        const auto record = ReadSoundRecord(*content, fileLength, position, cause);
        if (!record) {
            return nullptr;
        }
        const unsigned char* chunk = content->data() + record->chunkOffset;
        FFLITEM* item = NewItemRecord(record->path, mode.withData ? chunk : nullptr,
                                      mode.withData ? record->chunkBytes : 0);
        if (item == nullptr) {
            return nullptr;
        }
        item->wTag = record->tag;
        if (!mode.withData) {
            item->dwSize = record->chunkBytes;  // the listed length, as for the directory layout
        }
        appender.Append(item);
        position = record->chunkOffset + record->chunkBytes;
    }
    // Records carry no count, so a file cut right after a record (or inside the next one's
    // first bytes) would pass for an archive with fewer sounds; only the end mark tells.
    if (!EndsWithEndMark(*content, fileLength, position)) {
        Fail(cause, "the file is cut off: the end mark after the last sound record is missing");
        return nullptr;
    }
    CopyPathField(archive->szPath, path);
    return archive;
}

// The file name as given, or the Fastfile of that name in the game's Fastfile directory;
// nothing when the name found does not fit the archive's path field.
std::optional<std::string> ResolveArchiveName(const char* name) {
    std::string resolved = qm::SearchFile(FastfileDirectory(), name, ".FFL").value_or(name);
    if (resolved.size() > kMaxItemPath) {
        return std::nullopt;
    }
    return resolved;
}

FFLARCHIVE* ReadArchive(const char* name, const ReadMode& mode) {
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    // A name cut to fit the path field would be saved back to another file.
    const auto resolved = ResolveArchiveName(name);
    if (!resolved) {
        qm::DebugOutput(mode.invalidParameter);
        qm::DebugOutput(" required: lpszFile < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return nullptr;
    }
    const std::string& path = *resolved;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        qm::DebugOutput(mode.openFailed);
        return nullptr;
    }
    // Taken before reading, so that a change made while the file is read counts as a change.
    const auto state = qm::IdentityOf(file.get());
    std::setvbuf(file.get(), nullptr, _IOFBF, mode.bufferBytes);
    unsigned char header[kHeaderBytes];
    if (std::fread(header, 1, kHeaderBytes, file.get()) != kHeaderBytes) {
        return nullptr;
    }
    const auto fileLength = FileLength(file.get());
    ArchivePtr archive;
    Cause cause;
    if (!fileLength) {
        cause = kReadError;
    } else if (std::memcmp(header, "RFFL", 4) != 0 || qm::GetU32LE(header + 4) != 0) {
        archive = ReadSoundLayout(file.get(), *fileLength, path, mode, cause);
    } else {
        const Header fields{qm::GetU32LE(header + 8), qm::GetU32LE(header + 12),
                            qm::GetU32LE(header + 16)};
        archive = ReadDirectoryLayout(file.get(), *fileLength, fields, path, mode, cause);
    }
    if (!archive) {
        // The usual line first, which callers know, then what was wrong with the file.
        qm::DebugOutput(mode.readFailed);
        if (!cause.empty()) {
            qm::DebugOutput(("ERROR: " + std::string(mode.function) + " " + cause + "\n").c_str());
        }
        return nullptr;
    }
    if (state) {
        ArchiveFileStates().Set(archive.get(), *state);
    }
    return archive.release();
}

}  // namespace
}  // namespace packlib

extern "C" {

PACKLIB_EXPORT FFLARCHIVE* FFLAPI FFLOpenArchive(const char* lpszFile) {
    const packlib::ReadMode mode{true,
                                 packlib::ArchiveBufferBytes(),
                                 "WARNING: FFLOpenArchive() failed to open Archive\n",
                                 "ERROR: FFLOpenArchive() failed to allocate memory!\n",
                                 "WARNING: FFLOpenArchive() called with invalid parameter!\n",
                                 "FFLOpenArchive()"};
    return packlib::ReadArchive(lpszFile, mode);
}

PACKLIB_EXPORT FFLARCHIVE* FFLAPI FFLParseArchive(const char* lpszFile) {
    const packlib::ReadMode mode{false,
                                 packlib::ParseBufferBytes(),
                                 "WARNING: FFLParseArchive() failed to open Archive\n",
                                 "ERROR: FFLParseArchive() failed to allocate memory!\n",
                                 "WARNING: FFLParseArchive() called with invalid parameter!\n",
                                 "FFLParseArchive()"};
    return packlib::ReadArchive(lpszFile, mode);
}

}  // extern "C"
