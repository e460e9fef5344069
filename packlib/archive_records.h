// Allocation and list handling of the archive records, shared by the archive's source files.
// The records are C records handed across the library boundary, so they live in calloc'd
// memory and are registered as live handles while they exist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "packlib/packlib.h"

namespace packlib {

// Zeroes a MAX_PATH field and copies at most 259 characters into it.
void CopyPathField(char* field, std::string_view text);

// A new empty archive record (registered), or null when memory runs out.
FFLARCHIVE* NewArchiveRecord(std::string_view path);
// A new item (registered) with the path and a copy of the bytes (none when size is 0);
// null when memory runs out.
FFLITEM* NewItemRecord(std::string_view path, const void* data, std::uint32_t size);
// Unregisters and releases one item and its data.
void FreeItemRecord(FFLITEM* item);
// Unregisters and releases an archive with all its items.
void FreeArchiveRecord(FFLARCHIVE* archive);

// Appends at the end of the list and counts the item.
void AppendItem(FFLARCHIVE* archive, FFLITEM* item);

// Appends many items in a row without walking the list for each one.
class ItemAppender {
  public:
    explicit ItemAppender(FFLARCHIVE* archive);
    void Append(FFLITEM* item);

  private:
    FFLARCHIVE* archive_;
    FFLITEM** tail_;
};

bool IsLiveArchive(const void* handle);
bool IsLiveItem(const void* handle);
// Whether the item belongs to an archive of the sound layout.
bool IsSoundArchiveItem(const FFLITEM* item);

// A sound archive stores each item as one RIFF chunk and finds the next item by that chunk's
// length, so anything else (a tag after the chunk, a length that disagrees with the data,
// other bytes) would make the whole file unreadable once saved.
bool IsOneRiffChunk(const void* data, std::uint64_t size);

// Rounds a length up to the next multiple of 4, in 64 bits so that it cannot wrap.
constexpr std::uint64_t PadTo4(std::uint64_t length) {
    return (length + 3) & ~std::uint64_t{3};
}

}  // namespace packlib
