/* PatchLib: Fastfile patches (.kdz).
 *
 * Programs load the library by name ("PatchLib.dll", libPatchLib.so on Linux), look up
 * "PatchLibInit" and call every other function through the PATCHLIBEXPORT record it fills.
 * The records below are read directly by callers (the five texts have no functions of
 * their own): their field order and widths are part of the interface. */
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#define KDZAPI __stdcall
#if defined(PATCHLIB_BUILD)
#define PATCHLIB_EXPORT __declspec(dllexport)
#else
#define PATCHLIB_EXPORT __declspec(dllimport)
#endif
#else
#define KDZAPI
#define PATCHLIB_EXPORT __attribute__((visibility("default")))
#endif

#ifndef FFL_MAX_PATH
#define FFL_MAX_PATH 260
#endif
#define KDZ_MAX_NAME 128
#define KDZ_MAX_TEXT 256

#define PATCHLIB_VERSION 0x01000000u

#ifdef __cplusplus
extern "C" {
#endif

/* One patch item: a name, the Fastfile item paths it replaces and its data. */
typedef struct KDZITEM {
    char szName[KDZ_MAX_NAME]; /* at most 127 characters, may be empty */
    char* lpszPath;            /* target path list, paths separated by "|"; null when none */
    unsigned char* lpData;     /* null when none */
    uint32_t dwSize;
    struct KDZITEM* lpNext;
} KDZITEM;

typedef struct KDZPATCH {
    char szPath[FFL_MAX_PATH];
    char szTitle[KDZ_MAX_TEXT];       /* "LABL" */
    char szVersion[KDZ_MAX_TEXT];     /* "VERS" */
    char szAuthor[KDZ_MAX_TEXT];      /* "AUTH" */
    char szCopyright[KDZ_MAX_TEXT];   /* "(C) " */
    char szDescription[KDZ_MAX_TEXT]; /* "ANNO" */
    uint32_t dwCount;
    KDZITEM* lpFirst;
} KDZPATCH;

typedef KDZPATCH*(KDZAPI* LPKDZCREATEPATCH)(const char* lpszPath);
typedef KDZPATCH*(KDZAPI* LPKDZOPENPATCH)(const char* lpszFile);
typedef bool(KDZAPI* LPKDZSAVEPATCH)(KDZPATCH* lpPatch, const char* lpszFile);
typedef void(KDZAPI* LPKDZCLOSEPATCH)(KDZPATCH* lpPatch);
typedef uint32_t(KDZAPI* LPKDZGETITEMCOUNT)(KDZPATCH* lpPatch);
typedef const char*(KDZAPI* LPKDZGETPATH)(KDZPATCH* lpPatch);
typedef bool(KDZAPI* LPKDZSETPATH)(KDZPATCH* lpPatch, const char* lpszPath);
typedef KDZITEM*(KDZAPI* LPKDZGETFIRSTITEM)(KDZPATCH* lpPatch);
typedef KDZITEM*(KDZAPI* LPKDZGETNEXTITEM)(KDZITEM* lpItem);
typedef const char*(KDZAPI* LPKDZGETITEMNAME)(KDZITEM* lpItem);
typedef const char*(KDZAPI* LPKDZGETITEMPATH)(KDZITEM* lpItem);
typedef const void*(KDZAPI* LPKDZGETITEMDATA)(KDZITEM* lpItem, uint32_t* lpdwSize);
typedef bool(KDZAPI* LPKDZSETITEMNAME)(KDZITEM* lpItem, const char* lpszName);
typedef bool(KDZAPI* LPKDZSETITEMPATH)(KDZITEM* lpItem, const char* lpszPath);
typedef bool(KDZAPI* LPKDZSETITEMDATA)(KDZITEM* lpItem, const void* lpData, uint32_t dwSize);
typedef KDZITEM*(KDZAPI* LPKDZADDITEM)(KDZPATCH* lpPatch, const char* lpszPath, const void* lpData,
                                       uint32_t dwSize);
typedef void(KDZAPI* LPKDZDELETEITEM)(KDZPATCH* lpPatch, KDZITEM* lpItem);
typedef KDZITEM*(KDZAPI* LPKDZFINDITEM)(KDZPATCH* lpPatch, const char* lpszText, bool bAnyPath);
typedef uint32_t(KDZAPI* LPKDZGETBUFFERSIZE)(void);
typedef bool(KDZAPI* LPKDZSETBUFFERSIZE)(uint32_t dwKBytes);

/* The export record: filled by PatchLibInit, slots in this exact order. */
typedef struct PATCHLIBEXPORT {
    uint32_t dwSize; /* set by the caller to sizeof(PATCHLIBEXPORT) */
    uint32_t dwVersion;
    LPKDZCREATEPATCH KDZCreatePatch;
    LPKDZOPENPATCH KDZOpenPatch;
    LPKDZSAVEPATCH KDZSavePatch;
    LPKDZCLOSEPATCH KDZClosePatch;
    LPKDZGETITEMCOUNT KDZGetItemCount;
    LPKDZGETPATH KDZGetPath;
    LPKDZSETPATH KDZSetPath;
    LPKDZGETFIRSTITEM KDZGetFirstItem;
    LPKDZGETNEXTITEM KDZGetNextItem;
    LPKDZGETITEMNAME KDZGetItemName;
    LPKDZGETITEMPATH KDZGetItemPath;
    LPKDZGETITEMDATA KDZGetItemData;
    LPKDZSETITEMNAME KDZSetItemName;
    LPKDZSETITEMPATH KDZSetItemPath;
    LPKDZSETITEMDATA KDZSetItemData;
    LPKDZADDITEM KDZAddItem;
    LPKDZDELETEITEM KDZDeleteItem;
    LPKDZFINDITEM KDZFindItem;
    LPKDZGETBUFFERSIZE KDZGetBufferSize;
    LPKDZSETBUFFERSIZE KDZSetBufferSize;
} PATCHLIBEXPORT;

typedef bool(KDZAPI* LPPATCHLIBINIT)(PATCHLIBEXPORT* lpExport);

#ifdef __cplusplus
}
#endif
