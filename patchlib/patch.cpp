// The patch and item functions other than reading and writing files.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "patchlib/library_state.h"
#include "patchlib/patch_records.h"
#include "patchlib/patchlib_exports.h"
#include "platform/debug_output.h"

namespace patchlib {
namespace {

bool ValidPatch(const KDZPATCH* patch) {
    return LivePatches().Contains(patch);
}
bool ValidItem(const KDZITEM* item) {
    return LiveItems().Contains(item);
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares as many characters as the text has, ignoring the case of A to Z only.
bool StartsWithNoCase(const char* list, const char* text) {
    for (; *text != '\0'; ++list, ++text) {
        if (AsciiLower(*list) != AsciiLower(*text)) {
            return false;
        }
    }
    return true;
}

bool EqualsNoCase(const char* a, const char* b) {
    return StartsWithNoCase(a, b) && a[std::strlen(b)] == '\0';
}

// True when one of the list's positions (its start, and each one after a "|") begins with text.
bool AnyPathStartsWith(const char* list, const char* text) {
    if (list[0] == '\0') {
        return false;
    }
    for (const char* position = list; position != nullptr;) {
        if (StartsWithNoCase(position, text)) {
            return true;
        }
        position = std::strchr(position, '|');
        if (position != nullptr) {
            ++position;
        }
    }
    return false;
}

// Stores a copy of a non-empty list; false (item left without a list) when memory runs out.
bool StoreItemPath(KDZITEM* item, const char* path) {
    std::free(item->lpszPath);
    item->lpszPath = nullptr;
    const std::size_t length = std::strlen(path);
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) {
        return false;
    }
    std::memcpy(copy, path, length + 1);
    item->lpszPath = copy;
    return true;
}

bool StoreItemData(KDZITEM* item, const void* data, std::uint32_t size) {
    std::free(item->lpData);
    item->lpData = nullptr;
    item->dwSize = 0;
    auto* copy = static_cast<unsigned char*>(std::malloc(size));
    if (copy == nullptr) {
        return false;
    }
    std::memcpy(copy, data, size);
    item->lpData = copy;
    item->dwSize = size;
    return true;
}

}  // namespace
}  // namespace patchlib

using namespace patchlib;

extern "C" {

PATCHLIB_EXPORT KDZPATCH* KDZAPI KDZCreatePatch(const char* lpszPath) {
    if (lpszPath != nullptr && std::strlen(lpszPath) >= FFL_MAX_PATH) {
        qm::DebugOutput("ERROR: KDZCreatePatch() called with invalid parameter!\n");
        qm::DebugOutput(" required: lpszPath < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return nullptr;
    }
    KDZPATCH* patch = NewPatch(lpszPath);
    if (patch == nullptr) {
        qm::DebugOutput("ERROR: KDZCreatePatch() failed to create Patch\n");
    }
    return patch;
}

PATCHLIB_EXPORT void KDZAPI KDZClosePatch(KDZPATCH* lpPatch) {
    if (ValidPatch(lpPatch)) {
        FreePatch(lpPatch);
    }
}

PATCHLIB_EXPORT uint32_t KDZAPI KDZGetItemCount(KDZPATCH* lpPatch) {
    return ValidPatch(lpPatch) ? lpPatch->dwCount : 0;
}

PATCHLIB_EXPORT const char* KDZAPI KDZGetPath(KDZPATCH* lpPatch) {
    return ValidPatch(lpPatch) ? lpPatch->szPath : nullptr;
}

PATCHLIB_EXPORT bool KDZAPI KDZSetPath(KDZPATCH* lpPatch, const char* lpszPath) {
    if (!ValidPatch(lpPatch) || lpszPath == nullptr) {
        qm::DebugOutput("WARNING: KDZSetPath() called with invalid parameter!\n");
        return false;
    }
    const std::size_t length = std::strlen(lpszPath);
    if (length == 0 || length >= FFL_MAX_PATH) {
        qm::DebugOutput("WARNING: KDZSetPath() called with invalid parameter:\n");
        qm::DebugOutput(" required: 0 < lpszPath < MAX_PATH\n");
        return false;
    }
    CopyField(lpPatch->szPath, sizeof(lpPatch->szPath), lpszPath);
    return true;
}

PATCHLIB_EXPORT KDZITEM* KDZAPI KDZGetFirstItem(KDZPATCH* lpPatch) {
    return ValidPatch(lpPatch) ? lpPatch->lpFirst : nullptr;
}

PATCHLIB_EXPORT KDZITEM* KDZAPI KDZGetNextItem(KDZITEM* lpItem) {
    return ValidItem(lpItem) ? lpItem->lpNext : nullptr;
}

PATCHLIB_EXPORT const char* KDZAPI KDZGetItemName(KDZITEM* lpItem) {
    return ValidItem(lpItem) ? lpItem->szName : nullptr;
}

PATCHLIB_EXPORT const char* KDZAPI KDZGetItemPath(KDZITEM* lpItem) {
    return ValidItem(lpItem) ? lpItem->lpszPath : nullptr;
}

PATCHLIB_EXPORT const void* KDZAPI KDZGetItemData(KDZITEM* lpItem, uint32_t* lpdwSize) {
    if (!ValidItem(lpItem)) {
        return nullptr;
    }
    if (lpdwSize != nullptr) {
        *lpdwSize = lpItem->dwSize;
    }
    return lpItem->lpData;
}

PATCHLIB_EXPORT bool KDZAPI KDZSetItemName(KDZITEM* lpItem, const char* lpszName) {
    if (!ValidItem(lpItem)) {
        qm::DebugOutput("WARNING: KDZSetItemName() called with invalid parameter!\n");
        return false;
    }
    CopyField(lpItem->szName, sizeof(lpItem->szName), lpszName);
    return true;
}

PATCHLIB_EXPORT bool KDZAPI KDZSetItemPath(KDZITEM* lpItem, const char* lpszPath) {
    if (!ValidItem(lpItem) || lpszPath == nullptr) {
        qm::DebugOutput("WARNING: KDZSetItemPath() called with invalid parameter!\n");
        return false;
    }
    if (lpszPath[0] == '\0') {
        qm::DebugOutput("WARNING: KDZSetItemPath() called with invalid parameter:\n");
        qm::DebugOutput(" required: 0 < lpszPath\n");
        return false;
    }
    if (!StoreItemPath(lpItem, lpszPath)) {
        qm::DebugOutput("WARNING: KDZSetItemPath() memory allocation failure\n");
        return false;
    }
    return true;
}

PATCHLIB_EXPORT bool KDZAPI KDZSetItemData(KDZITEM* lpItem, const void* lpData, uint32_t dwSize) {
    if (!ValidItem(lpItem) || lpData == nullptr || dwSize == 0) {
        qm::DebugOutput("WARNING: KDZSetItemData() called with invalid parameter!\n");
        return false;
    }
    if (!StoreItemData(lpItem, lpData, dwSize)) {
        qm::DebugOutput("WARNING: KDZSetItemData() failed to allocate memory!\n");
        return false;
    }
    return true;
}

PATCHLIB_EXPORT KDZITEM* KDZAPI KDZAddItem(KDZPATCH* lpPatch, const char* lpszPath,
                                           const void* lpData, uint32_t dwSize) {
    if (!ValidPatch(lpPatch)) {
        qm::DebugOutput("WARNING: KDZAddItem() called with invalid parameter!\n");
        return nullptr;
    }
    KDZITEM* item = NewItem();
    bool made = item != nullptr;
    if (made && lpszPath != nullptr && lpszPath[0] != '\0') {
        made = StoreItemPath(item, lpszPath);
    }
    if (made && lpData != nullptr && dwSize != 0) {
        made = StoreItemData(item, lpData, dwSize);
    }
    if (!made) {
        qm::DebugOutput("WARNING: KDZAddItem() failed to create new item!\n");
        FreeItem(item);
        return nullptr;
    }
    AppendItem(lpPatch, item);
    return item;
}

PATCHLIB_EXPORT void KDZAPI KDZDeleteItem(KDZPATCH* lpPatch, KDZITEM* lpItem) {
    if (!ValidPatch(lpPatch) || !ValidItem(lpItem)) {
        qm::DebugOutput("WARNING: KDZDeleteItem() called with invalid parameter!\n");
        return;
    }
    KDZITEM** link = &lpPatch->lpFirst;
    while (*link != nullptr && *link != lpItem) {
        link = &(*link)->lpNext;
    }
    if (*link == nullptr) {
        qm::DebugOutput("ERROR: KDZDeleteItem() the specified item is NOT in this archive!\n");
        return;
    }
    *link = lpItem->lpNext;
    FreeItem(lpItem);
    if (lpPatch->dwCount != 0) {
        --lpPatch->dwCount;
    }
}

PATCHLIB_EXPORT KDZITEM* KDZAPI KDZFindItem(KDZPATCH* lpPatch, const char* lpszText,
                                            bool bAnyPath) {
    if (!ValidPatch(lpPatch) || lpszText == nullptr || lpszText[0] == '\0') {
        qm::DebugOutput("WARNING: KDZFindItem() called with invalid parameter!\n");
        return nullptr;
    }
    for (KDZITEM* item = lpPatch->lpFirst; item != nullptr; item = item->lpNext) {
        if (item->lpszPath == nullptr) {
            continue;
        }
        if (bAnyPath ? AnyPathStartsWith(item->lpszPath, lpszText)
                     : EqualsNoCase(item->lpszPath, lpszText)) {
            return item;
        }
    }
    return nullptr;
}

}  // extern "C"
