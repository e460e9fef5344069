// The archive records and the exports that inspect and edit an archive in memory.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "packlib/archive_records.h"
#include "packlib/item_index.h"
#include "packlib/library_state.h"
#include "packlib/packlib_exports.h"
#include "platform/debug_output.h"

namespace packlib {

void CopyPathField(char* field, std::string_view text) {
    std::memset(field, 0, FFL_MAX_PATH);
    const std::size_t length = text.size() < FFL_MAX_PATH - 1 ? text.size() : FFL_MAX_PATH - 1;
    std::memcpy(field, text.data(), length);
}

FFLARCHIVE* NewArchiveRecord(std::string_view path) {
    auto* archive = static_cast<FFLARCHIVE*>(std::calloc(1, sizeof(FFLARCHIVE)));
    if (archive == nullptr) {
        return nullptr;
    }
    CopyPathField(archive->szPath, path);
    LiveArchives().Add(archive);
    return archive;
}

FFLITEM* NewItemRecord(std::string_view path, const void* data, std::uint32_t size) {
    auto* item = static_cast<FFLITEM*>(std::calloc(1, sizeof(FFLITEM)));
    if (item == nullptr) {
        return nullptr;
    }
    CopyPathField(item->szPath, path);
    if (data != nullptr && size != 0) {
        item->lpData = static_cast<unsigned char*>(std::malloc(size));
        if (item->lpData == nullptr) {
            std::free(item);
            return nullptr;
        }
        std::memcpy(item->lpData, data, size);
        item->dwSize = size;
    }
    LiveArchiveItems().Add(item);
    return item;
}

void FreeItemRecord(FFLITEM* item) {
    LiveArchiveItems().Remove(item);
    SoundArchiveItems().Remove(item);
    std::free(item->lpData);
    std::free(item);
}

void FreeArchiveRecord(FFLARCHIVE* archive) {
    FFLITEM* item = archive->lpFirst;
    while (item != nullptr) {
        FFLITEM* next = item->lpNext;
        FreeItemRecord(item);
        item = next;
    }
    LiveArchives().Remove(archive);
    ArchiveFileStates().Erase(archive);
    ForgetIndex(archive);
    std::free(archive);
}

void AppendItem(FFLARCHIVE* archive, FFLITEM* item) {
    FFLITEM* last = LastItem(archive);
    (last != nullptr ? last->lpNext : archive->lpFirst) = item;
    item->lpNext = nullptr;
    ++archive->dwCount;
    NoteAppended(archive, item);
    if (archive->bSound != 0) {
        SoundArchiveItems().Add(item);
    }
}

ItemAppender::ItemAppender(FFLARCHIVE* archive) : archive_(archive), tail_(&archive->lpFirst) {
    while (*tail_ != nullptr) {
        tail_ = &(*tail_)->lpNext;
    }
}

void ItemAppender::Append(FFLITEM* item) {
    item->lpNext = nullptr;
    *tail_ = item;
    tail_ = &item->lpNext;
    ++archive_->dwCount;
    if (archive_->bSound != 0) {
        SoundArchiveItems().Add(item);
    }
}

bool IsLiveArchive(const void* handle) {
    return LiveArchives().Contains(handle);
}
bool IsLiveItem(const void* handle) {
    return LiveArchiveItems().Contains(handle);
}
bool IsSoundArchiveItem(const FFLITEM* item) {
    return SoundArchiveItems().Contains(item);
}

bool IsOneRiffChunk(const void* data, std::uint64_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (bytes == nullptr || size < 8 || std::memcmp(bytes, "RIFF", 4) != 0) {
        return false;
    }
    const std::uint64_t length = std::uint64_t{bytes[4]} | std::uint64_t{bytes[5]} << 8 |
                                 std::uint64_t{bytes[6]} << 16 | std::uint64_t{bytes[7]} << 24;
    return length + 8 == size;
}

namespace {

// The rule shared by FFLSetPath and FFLSetItemPath; `name` is the function's name.
bool SetPathField(char* field, bool handleValid, const char* path, const char* name) {
    char line[128];
    if (!handleValid || path == nullptr) {
        std::snprintf(line, sizeof(line), "WARNING: %s() called with invalid parameter!\n", name);
        qm::DebugOutput(line);
        return false;
    }
    const std::size_t length = std::strlen(path);
    if (length == 0 || length >= FFL_MAX_PATH) {
        std::snprintf(line, sizeof(line), "WARNING: %s() called with invalid parameter:\n", name);
        qm::DebugOutput(line);
        qm::DebugOutput(" required: 0 < lpszPath < MAX_PATH\n");
        return false;
    }
    CopyPathField(field, path);
    return true;
}

}  // namespace
}  // namespace packlib

extern "C" {

PACKLIB_EXPORT FFLARCHIVE* FFLAPI FFLCreateArchive(const char* lpszPath) {
    if (lpszPath != nullptr && std::strlen(lpszPath) >= FFL_MAX_PATH) {
        qm::DebugOutput("ERROR: FFLCreateArchive() called with invalid parameter!\n");
        qm::DebugOutput(" required: lpszPath < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return nullptr;
    }
    FFLARCHIVE* archive = packlib::NewArchiveRecord(lpszPath != nullptr ? lpszPath : "");
    if (archive == nullptr) {
        qm::DebugOutput("ERROR: FFLCreateArchive() failed to create Archive\n");
    }
    return archive;
}

PACKLIB_EXPORT void FFLAPI FFLCloseArchive(FFLARCHIVE* lpArchive) {
    if (packlib::IsLiveArchive(lpArchive)) {
        packlib::FreeArchiveRecord(lpArchive);
    }
}

PACKLIB_EXPORT uint32_t FFLAPI FFLGetItemCount(FFLARCHIVE* lpArchive) {
    return packlib::IsLiveArchive(lpArchive) ? lpArchive->dwCount : 0;
}

PACKLIB_EXPORT const char* FFLAPI FFLGetPath(FFLARCHIVE* lpArchive) {
    return packlib::IsLiveArchive(lpArchive) ? lpArchive->szPath : nullptr;
}

PACKLIB_EXPORT bool FFLAPI FFLSetPath(FFLARCHIVE* lpArchive, const char* lpszPath) {
    const bool valid = packlib::IsLiveArchive(lpArchive);
    return packlib::SetPathField(valid ? lpArchive->szPath : nullptr, valid, lpszPath,
                                 "FFLSetPath");
}

PACKLIB_EXPORT FFLITEM* FFLAPI FFLGetFirstItem(FFLARCHIVE* lpArchive) {
    return packlib::IsLiveArchive(lpArchive) ? lpArchive->lpFirst : nullptr;
}

PACKLIB_EXPORT FFLITEM* FFLAPI FFLGetNextItem(FFLITEM* lpItem) {
    return packlib::IsLiveItem(lpItem) ? lpItem->lpNext : nullptr;
}

PACKLIB_EXPORT const char* FFLAPI FFLGetItemPath(FFLITEM* lpItem) {
    return packlib::IsLiveItem(lpItem) ? lpItem->szPath : nullptr;
}

PACKLIB_EXPORT const void* FFLAPI FFLGetItemData(FFLITEM* lpItem, uint32_t* lpdwSize) {
    if (!packlib::IsLiveItem(lpItem)) {
        return nullptr;
    }
    if (lpdwSize != nullptr) {
        *lpdwSize = lpItem->lpData != nullptr ? lpItem->dwSize : 0;
    }
    return lpItem->lpData;
}

PACKLIB_EXPORT bool FFLAPI FFLSetItemPath(FFLITEM* lpItem, const char* lpszPath) {
    const bool valid = packlib::IsLiveItem(lpItem);
    if (!packlib::SetPathField(valid ? lpItem->szPath : nullptr, valid, lpszPath,
                               "FFLSetItemPath")) {
        return false;
    }
    packlib::NotePathChanged();
    return true;
}

PACKLIB_EXPORT bool FFLAPI FFLSetItemData(FFLITEM* lpItem, const void* lpData, uint32_t dwSize) {
    if (!packlib::IsLiveItem(lpItem) || lpData == nullptr || dwSize == 0) {
        qm::DebugOutput("WARNING: FFLSetItemData() called with invalid parameter!\n");
        return false;
    }
    if (packlib::IsSoundArchiveItem(lpItem) && !packlib::IsOneRiffChunk(lpData, dwSize)) {
        qm::DebugOutput("WARNING: FFLSetItemData() called with invalid parameter!\n");
        qm::DebugOutput(" a sound archive's item must be exactly one RIFF chunk\n");
        return false;
    }
    // The new block is filled before the old one goes, so that data taken from the item
    // itself (or from inside its block) is still there to be copied.
    auto* block = static_cast<unsigned char*>(std::malloc(dwSize));
    if (block != nullptr) {
        std::memcpy(block, lpData, dwSize);
    }
    std::free(lpItem->lpData);
    lpItem->lpData = block;
    if (block == nullptr) {
        lpItem->dwSize = 0;
        qm::DebugOutput("WARNING: FFLSetItemData() failed to allocate memory!\n");
        return false;
    }
    lpItem->dwSize = dwSize;
    return true;
}

PACKLIB_EXPORT FFLITEM* FFLAPI FFLAddItem(FFLARCHIVE* lpArchive, const char* lpszPath,
                                          const void* lpData, uint32_t dwSize) {
    if (!packlib::IsLiveArchive(lpArchive)) {
        qm::DebugOutput("WARNING: FFLAddItem() called with invalid parameter!\n");
        return nullptr;
    }
    // A path cut to fit its field would name another item than the one asked for.
    if (lpszPath != nullptr && std::strlen(lpszPath) >= FFL_MAX_PATH) {
        qm::DebugOutput("WARNING: FFLAddItem() called with invalid parameter!\n");
        qm::DebugOutput(" required: lpszPath < MAX_PATH\n");
        return nullptr;
    }
    if (lpArchive->bSound != 0 &&
        (lpszPath == nullptr || lpszPath[0] == '\0' || !packlib::IsOneRiffChunk(lpData, dwSize))) {
        qm::DebugOutput("WARNING: FFLAddItem() called with invalid parameter!\n");
        qm::DebugOutput(" a sound archive's item needs a path and exactly one RIFF chunk\n");
        return nullptr;
    }
    FFLITEM* item = packlib::NewItemRecord(lpszPath != nullptr ? lpszPath : "", lpData, dwSize);
    if (item == nullptr) {
        qm::DebugOutput("WARNING: FFLAddItem() failed to create new item!\n");
        return nullptr;
    }
    packlib::AppendItem(lpArchive, item);
    return item;
}

PACKLIB_EXPORT void FFLAPI FFLDeleteItem(FFLARCHIVE* lpArchive, FFLITEM* lpItem) {
    if (!packlib::IsLiveArchive(lpArchive) || !packlib::IsLiveItem(lpItem)) {
        qm::DebugOutput("WARNING: FFLDeleteItem() called with invalid parameter!\n");
        return;
    }
    FFLITEM* previous = nullptr;
    FFLITEM* item = lpArchive->lpFirst;
    while (item != nullptr && item != lpItem) {
        previous = item;
        item = item->lpNext;
    }
    if (item == nullptr) {
        qm::DebugOutput("ERROR: FFLDeleteItem() the specified item is NOT in this archive!\n");
        return;
    }
    packlib::NoteRemoving(lpArchive, lpItem, previous);
    (previous != nullptr ? previous->lpNext : lpArchive->lpFirst) = lpItem->lpNext;
    packlib::FreeItemRecord(lpItem);
    if (lpArchive->dwCount != 0) {
        --lpArchive->dwCount;
    }
}

PACKLIB_EXPORT FFLITEM* FFLAPI FFLFindItem(FFLARCHIVE* lpArchive, const char* lpszName,
                                           bool bNameOnly) {
    if (!packlib::IsLiveArchive(lpArchive) || lpszName == nullptr || lpszName[0] == '\0') {
        qm::DebugOutput("WARNING: FFLFindItem() called with invalid parameter!\n");
        return nullptr;
    }
    return packlib::FindFirstItem(lpArchive, lpszName, bNameOnly);
}

}  // extern "C"
