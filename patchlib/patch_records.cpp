// The C records behind patch and item handles: calloc'd, so that callers reading the
// fields directly always see terminated texts and null pointers.
#include "patchlib/patch_records.h"

#include <cstdlib>
#include <cstring>

#include "patchlib/library_state.h"

namespace patchlib {

KDZITEM* NewItem() {
    return static_cast<KDZITEM*>(std::calloc(1, sizeof(KDZITEM)));
}

void FreeItem(KDZITEM* item) {
    if (item == nullptr) {
        return;
    }
    LiveItems().Remove(item);
    std::free(item->lpszPath);
    std::free(item->lpData);
    std::free(item);
}

void AppendItem(KDZPATCH* patch, KDZITEM* item) {
    item->lpNext = nullptr;
    KDZITEM** link = &patch->lpFirst;
    while (*link != nullptr) {
        link = &(*link)->lpNext;
    }
    *link = item;
    ++patch->dwCount;
    LiveItems().Add(item);
}

KDZPATCH* NewPatch(const char* path) {
    auto* patch = static_cast<KDZPATCH*>(std::calloc(1, sizeof(KDZPATCH)));
    if (patch == nullptr) {
        return nullptr;
    }
    if (path != nullptr) {
        CopyField(patch->szPath, sizeof(patch->szPath), path);
    }
    LivePatches().Add(patch);
    return patch;
}

void FreePatch(KDZPATCH* patch) {
    if (patch == nullptr) {
        return;
    }
    LivePatches().Remove(patch);
    PatchFileStates().Erase(patch);
    KDZITEM* item = patch->lpFirst;
    while (item != nullptr) {
        KDZITEM* next = item->lpNext;
        FreeItem(item);
        item = next;
    }
    std::free(patch);
}

void CopyField(char* field, std::size_t size, const char* text) {
    std::memset(field, 0, size);
    if (text != nullptr) {
        std::strncpy(field, text, size - 1);
    }
}

}  // namespace patchlib
