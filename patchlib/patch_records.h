// Allocation and release of the C records behind patch and item handles.
#pragma once

#include <cstddef>

#include "patchlib/patchlib.h"

namespace patchlib {

// A zero-filled item, not yet registered as a handle; null when memory runs out.
KDZITEM* NewItem();
// Releases an item's list, data and record (and forgets the handle).
void FreeItem(KDZITEM* item);
// Appends a complete item, registers it as a handle and counts it.
void AppendItem(KDZPATCH* patch, KDZITEM* item);
// A zero-filled patch, registered as a handle; null when memory runs out.
KDZPATCH* NewPatch(const char* path);
// Releases a patch with all its items (and forgets the handles).
void FreePatch(KDZPATCH* patch);
// Copies a text into a fixed field: zeroed first, cut to size - 1 characters.
void CopyField(char* field, std::size_t size, const char* text);

}  // namespace patchlib
