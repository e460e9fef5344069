// Declarations of PackLib's C exports, for the library's own source files. Programs never
// include this: they bind the library through PackLibInit and the PACKLIBEXPORT record.
#pragma once

#include "packlib/packlib.h"

extern "C" {

PACKLIB_EXPORT bool FFLAPI PackLibInit(PACKLIBEXPORT* lpExport);

PACKLIB_EXPORT bool FFLAPI GetFastfilePath(char* lpszPath);
PACKLIB_EXPORT bool FFLAPI DoReadOnlyCheck(const char* lpszAppName);

PACKLIB_EXPORT uint32_t FFLAPI FFLGetBufferSize(void);
PACKLIB_EXPORT bool FFLAPI FFLSetBufferSize(uint32_t dwKBytes);
PACKLIB_EXPORT uint32_t FFLAPI FFLGetPBufferSize(void);
PACKLIB_EXPORT bool FFLAPI FFLSetPBufferSize(uint32_t dwKBytes);
PACKLIB_EXPORT uint32_t FFLAPI FFLGetDbBufferSize(void);
PACKLIB_EXPORT bool FFLAPI FFLSetDbBufferSize(uint32_t dwKBytes);

PACKLIB_EXPORT FFLDB* FFLAPI FFLCreateDatabase(const char* lpszPath);
PACKLIB_EXPORT FFLDB* FFLAPI FFLOpenDatabase(const char* lpszPath);
PACKLIB_EXPORT bool FFLAPI FFLSaveDatabase(FFLDB* lpDb, const char* lpszPath);
PACKLIB_EXPORT void FFLAPI FFLCloseDatabase(FFLDB* lpDb);
PACKLIB_EXPORT uint32_t FFLAPI FFLGetDbItemCount(FFLDB* lpDb);
PACKLIB_EXPORT const char* FFLAPI FFLGetDbPath(FFLDB* lpDb);
PACKLIB_EXPORT bool FFLAPI FFLSetDbPath(FFLDB* lpDb, const char* lpszPath);
PACKLIB_EXPORT FFLDBITEM* FFLAPI FFLGetFirstDbItem(FFLDB* lpDb);
PACKLIB_EXPORT FFLDBITEM* FFLAPI FFLGetNextDbItem(FFLDBITEM* lpItem);
PACKLIB_EXPORT const char* FFLAPI FFLGetDbItemPath(FFLDBITEM* lpItem);
PACKLIB_EXPORT const char* FFLAPI FFLGetDbItemFile(FFLDBITEM* lpItem);
PACKLIB_EXPORT bool FFLAPI FFLSetDbItemPath(FFLDBITEM* lpItem, const char* lpszPath);
PACKLIB_EXPORT bool FFLAPI FFLSetDbItemFile(FFLDBITEM* lpItem, const char* lpszFile);
PACKLIB_EXPORT FFLDBITEM* FFLAPI FFLAddDbItem(FFLDB* lpDb, const char* lpszPath,
                                              const char* lpszFFL);
PACKLIB_EXPORT void FFLAPI FFLDeleteDbItem(FFLDB* lpDb, FFLDBITEM* lpItem);
PACKLIB_EXPORT FFLDBITEM* FFLAPI FFLFindDbItem(FFLDB* lpDb, const char* lpszPath,
                                               const char* lpszFile);

PACKLIB_EXPORT FFLARCHIVE* FFLAPI FFLCreateArchive(const char* lpszPath);
PACKLIB_EXPORT FFLARCHIVE* FFLAPI FFLOpenArchive(const char* lpszFile);
PACKLIB_EXPORT FFLARCHIVE* FFLAPI FFLParseArchive(const char* lpszFile);
PACKLIB_EXPORT bool FFLAPI FFLSaveArchive(FFLARCHIVE* lpArchive, const char* lpszFile);
PACKLIB_EXPORT void FFLAPI FFLCloseArchive(FFLARCHIVE* lpArchive);
PACKLIB_EXPORT uint32_t FFLAPI FFLGetItemCount(FFLARCHIVE* lpArchive);
PACKLIB_EXPORT const char* FFLAPI FFLGetPath(FFLARCHIVE* lpArchive);
PACKLIB_EXPORT bool FFLAPI FFLSetPath(FFLARCHIVE* lpArchive, const char* lpszPath);
PACKLIB_EXPORT FFLITEM* FFLAPI FFLGetFirstItem(FFLARCHIVE* lpArchive);
PACKLIB_EXPORT FFLITEM* FFLAPI FFLGetNextItem(FFLITEM* lpItem);
PACKLIB_EXPORT const char* FFLAPI FFLGetItemPath(FFLITEM* lpItem);
PACKLIB_EXPORT const void* FFLAPI FFLGetItemData(FFLITEM* lpItem, uint32_t* lpdwSize);
PACKLIB_EXPORT bool FFLAPI FFLSetItemPath(FFLITEM* lpItem, const char* lpszPath);
PACKLIB_EXPORT bool FFLAPI FFLSetItemData(FFLITEM* lpItem, const void* lpData, uint32_t dwSize);
PACKLIB_EXPORT FFLITEM* FFLAPI FFLAddItem(FFLARCHIVE* lpArchive, const char* lpszPath,
                                          const void* lpData, uint32_t dwSize);
PACKLIB_EXPORT void FFLAPI FFLDeleteItem(FFLARCHIVE* lpArchive, FFLITEM* lpItem);
PACKLIB_EXPORT FFLITEM* FFLAPI FFLFindItem(FFLARCHIVE* lpArchive, const char* lpszName,
                                           bool bNameOnly);

}  // extern "C"
