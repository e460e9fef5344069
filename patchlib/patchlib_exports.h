// The C exports of PatchLib, declared once for the library's own files.
#pragma once

#include "patchlib/patchlib.h"

extern "C" {
PATCHLIB_EXPORT bool KDZAPI PatchLibInit(PATCHLIBEXPORT* lpExport);
PATCHLIB_EXPORT KDZPATCH* KDZAPI KDZCreatePatch(const char* lpszPath);
PATCHLIB_EXPORT KDZPATCH* KDZAPI KDZOpenPatch(const char* lpszFile);
PATCHLIB_EXPORT bool KDZAPI KDZSavePatch(KDZPATCH* lpPatch, const char* lpszFile);
PATCHLIB_EXPORT void KDZAPI KDZClosePatch(KDZPATCH* lpPatch);
PATCHLIB_EXPORT uint32_t KDZAPI KDZGetItemCount(KDZPATCH* lpPatch);
PATCHLIB_EXPORT const char* KDZAPI KDZGetPath(KDZPATCH* lpPatch);
PATCHLIB_EXPORT bool KDZAPI KDZSetPath(KDZPATCH* lpPatch, const char* lpszPath);
PATCHLIB_EXPORT KDZITEM* KDZAPI KDZGetFirstItem(KDZPATCH* lpPatch);
PATCHLIB_EXPORT KDZITEM* KDZAPI KDZGetNextItem(KDZITEM* lpItem);
PATCHLIB_EXPORT const char* KDZAPI KDZGetItemName(KDZITEM* lpItem);
PATCHLIB_EXPORT const char* KDZAPI KDZGetItemPath(KDZITEM* lpItem);
PATCHLIB_EXPORT const void* KDZAPI KDZGetItemData(KDZITEM* lpItem, uint32_t* lpdwSize);
PATCHLIB_EXPORT bool KDZAPI KDZSetItemName(KDZITEM* lpItem, const char* lpszName);
PATCHLIB_EXPORT bool KDZAPI KDZSetItemPath(KDZITEM* lpItem, const char* lpszPath);
PATCHLIB_EXPORT bool KDZAPI KDZSetItemData(KDZITEM* lpItem, const void* lpData, uint32_t dwSize);
PATCHLIB_EXPORT KDZITEM* KDZAPI KDZAddItem(KDZPATCH* lpPatch, const char* lpszPath,
                                           const void* lpData, uint32_t dwSize);
PATCHLIB_EXPORT void KDZAPI KDZDeleteItem(KDZPATCH* lpPatch, KDZITEM* lpItem);
PATCHLIB_EXPORT KDZITEM* KDZAPI KDZFindItem(KDZPATCH* lpPatch, const char* lpszText, bool bAnyPath);
PATCHLIB_EXPORT uint32_t KDZAPI KDZGetBufferSize(void);
PATCHLIB_EXPORT bool KDZAPI KDZSetBufferSize(uint32_t dwKBytes);
}
