/* PackLib: Fastfile archives, the Fastfile database and the game's location.
 *
 * Programs load the library by name ("PackLib.dll", libPackLib.so on Linux), look up
 * "PackLibInit" and call every other function through the PACKLIBEXPORT record it fills.
 * The records below are read directly by callers: their field order and widths are part
 * of the interface. */
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#define FFLAPI __stdcall
#if defined(PACKLIB_BUILD)
#define PACKLIB_EXPORT __declspec(dllexport)
#else
#define PACKLIB_EXPORT __declspec(dllimport)
#endif
#else
#define FFLAPI
#define PACKLIB_EXPORT __attribute__((visibility("default")))
#endif

#ifndef FFL_MAX_PATH
#define FFL_MAX_PATH 260
#endif

#define PACKLIB_VERSION 0x01040000u

#ifdef __cplusplus
extern "C" {
#endif

/* One archive item. */
typedef struct FFLITEM {
    char szPath[FFL_MAX_PATH]; /* item path inside the archive, at most 259 characters */
    unsigned char* lpData;     /* library-owned data block, null when none */
    uint32_t dwSize;           /* bytes in lpData; 0 when none, except that an item of a
                                  parsed archive keeps the length its file lists */
    uint16_t wTag;             /* sound archive item tag, 0 otherwise */
    struct FFLITEM* lpNext;    /* next item, null for the last */
} FFLITEM;

/* One Fastfile in memory. */
typedef struct FFLARCHIVE {
    char szPath[FFL_MAX_PATH]; /* file read from / written to */
    uint32_t dwCount;          /* items in the list */
    uint8_t bSound;            /* 1 when read from a sound archive */
    FFLITEM* lpFirst;          /* first item, null when empty */
} FFLARCHIVE;

/* One database entry: an item path prefix and the Fastfile that holds those items. */
typedef struct FFLDBITEM {
    char szPath[FFL_MAX_PATH]; /* item path prefix, never empty */
    char szFile[FFL_MAX_PATH]; /* Fastfile file name */
    struct FFLDBITEM* lpNext;
} FFLDBITEM;

/* The Fastfile database ("ffinfo.txt"). */
typedef struct FFLDB {
    char szPath[FFL_MAX_PATH];
    uint32_t dwCount;
    FFLDBITEM* lpFirst;
} FFLDB;

typedef bool(FFLAPI* LPGETFASTFILEPATH)(char* lpszPath);
typedef bool(FFLAPI* LPDOREADONLYCHECK)(const char* lpszAppName);

typedef FFLDB*(FFLAPI* LPFFLCREATEDATABASE)(const char* lpszPath);
typedef FFLDB*(FFLAPI* LPFFLOPENDATABASE)(const char* lpszPath);
typedef bool(FFLAPI* LPFFLSAVEDATABASE)(FFLDB* lpDb, const char* lpszPath);
typedef void(FFLAPI* LPFFLCLOSEDATABASE)(FFLDB* lpDb);
typedef uint32_t(FFLAPI* LPFFLGETDBITEMCOUNT)(FFLDB* lpDb);
typedef const char*(FFLAPI* LPFFLGETDBPATH)(FFLDB* lpDb);
typedef bool(FFLAPI* LPFFLSETDBPATH)(FFLDB* lpDb, const char* lpszPath);
typedef FFLDBITEM*(FFLAPI* LPFFLGETFIRSTDBITEM)(FFLDB* lpDb);
typedef FFLDBITEM*(FFLAPI* LPFFLGETNEXTDBITEM)(FFLDBITEM* lpItem);
typedef const char*(FFLAPI* LPFFLGETDBITEMPATH)(FFLDBITEM* lpItem);
typedef const char*(FFLAPI* LPFFLGETDBITEMFILE)(FFLDBITEM* lpItem);
typedef bool(FFLAPI* LPFFLSETDBITEMPATH)(FFLDBITEM* lpItem, const char* lpszPath);
typedef bool(FFLAPI* LPFFLSETDBITEMFILE)(FFLDBITEM* lpItem, const char* lpszFile);
typedef FFLDBITEM*(FFLAPI* LPFFLADDDBITEM)(FFLDB* lpDb, const char* lpszPath, const char* lpszFFL);
typedef void(FFLAPI* LPFFLDELETEDBITEM)(FFLDB* lpDb, FFLDBITEM* lpItem);
typedef FFLDBITEM*(FFLAPI* LPFFLFINDDBITEM)(FFLDB* lpDb, const char* lpszPath,
                                            const char* lpszFile);

typedef FFLARCHIVE*(FFLAPI* LPFFLCREATEARCHIVE)(const char* lpszPath);
typedef FFLARCHIVE*(FFLAPI* LPFFLOPENARCHIVE)(const char* lpszFile);
typedef FFLARCHIVE*(FFLAPI* LPFFLPARSEARCHIVE)(const char* lpszFile);
typedef bool(FFLAPI* LPFFLSAVEARCHIVE)(FFLARCHIVE* lpArchive, const char* lpszFile);
typedef void(FFLAPI* LPFFLCLOSEARCHIVE)(FFLARCHIVE* lpArchive);
typedef uint32_t(FFLAPI* LPFFLGETITEMCOUNT)(FFLARCHIVE* lpArchive);
typedef const char*(FFLAPI* LPFFLGETPATH)(FFLARCHIVE* lpArchive);
typedef bool(FFLAPI* LPFFLSETPATH)(FFLARCHIVE* lpArchive, const char* lpszPath);
typedef FFLITEM*(FFLAPI* LPFFLGETFIRSTITEM)(FFLARCHIVE* lpArchive);
typedef FFLITEM*(FFLAPI* LPFFLGETNEXTITEM)(FFLITEM* lpItem);
typedef const char*(FFLAPI* LPFFLGETITEMPATH)(FFLITEM* lpItem);
typedef const void*(FFLAPI* LPFFLGETITEMDATA)(FFLITEM* lpItem, uint32_t* lpdwSize);
typedef bool(FFLAPI* LPFFLSETITEMPATH)(FFLITEM* lpItem, const char* lpszPath);
typedef bool(FFLAPI* LPFFLSETITEMDATA)(FFLITEM* lpItem, const void* lpData, uint32_t dwSize);
typedef FFLITEM*(FFLAPI* LPFFLADDITEM)(FFLARCHIVE* lpArchive, const char* lpszPath,
                                       const void* lpData, uint32_t dwSize);
typedef void(FFLAPI* LPFFLDELETEITEM)(FFLARCHIVE* lpArchive, FFLITEM* lpItem);
typedef FFLITEM*(FFLAPI* LPFFLFINDITEM)(FFLARCHIVE* lpArchive, const char* lpszName,
                                        bool bNameOnly);

typedef uint32_t(FFLAPI* LPFFLGETBUFFERSIZE)(void);
typedef bool(FFLAPI* LPFFLSETBUFFERSIZE)(uint32_t dwKBytes);

/* The export record: filled by PackLibInit, slots in this exact order. */
typedef struct PACKLIBEXPORT {
    uint32_t dwSize; /* set by the caller to sizeof(PACKLIBEXPORT) */
    uint32_t dwVersion;
    LPGETFASTFILEPATH GetFastfilePath;
    LPDOREADONLYCHECK DoReadOnlyCheck;
    LPFFLCREATEDATABASE FFLCreateDatabase;
    LPFFLOPENDATABASE FFLOpenDatabase;
    LPFFLSAVEDATABASE FFLSaveDatabase;
    LPFFLCLOSEDATABASE FFLCloseDatabase;
    LPFFLGETDBITEMCOUNT FFLGetDbItemCount;
    LPFFLGETDBPATH FFLGetDbPath;
    LPFFLSETDBPATH FFLSetDbPath;
    LPFFLGETFIRSTDBITEM FFLGetFirstDbItem;
    LPFFLGETNEXTDBITEM FFLGetNextDbItem;
    LPFFLGETDBITEMPATH FFLGetDbItemPath;
    LPFFLGETDBITEMFILE FFLGetDbItemFile;
    LPFFLSETDBITEMPATH FFLSetDbItemPath;
    LPFFLSETDBITEMFILE FFLSetDbItemFile;
    LPFFLADDDBITEM FFLAddDbItem;
    LPFFLDELETEDBITEM FFLDeleteDbItem;
    LPFFLFINDDBITEM FFLFindDbItem;
    LPFFLCREATEARCHIVE FFLCreateArchive;
    LPFFLOPENARCHIVE FFLOpenArchive;
    LPFFLPARSEARCHIVE FFLParseArchive;
    LPFFLSAVEARCHIVE FFLSaveArchive;
    LPFFLCLOSEARCHIVE FFLCloseArchive;
    LPFFLGETITEMCOUNT FFLGetItemCount;
    LPFFLGETPATH FFLGetPath;
    LPFFLSETPATH FFLSetPath;
    LPFFLGETFIRSTITEM FFLGetFirstItem;
    LPFFLGETNEXTITEM FFLGetNextItem;
    LPFFLGETITEMPATH FFLGetItemPath;
    LPFFLGETITEMDATA FFLGetItemData;
    LPFFLSETITEMPATH FFLSetItemPath;
    LPFFLSETITEMDATA FFLSetItemData;
    LPFFLADDITEM FFLAddItem;
    LPFFLDELETEITEM FFLDeleteItem;
    LPFFLFINDITEM FFLFindItem;
    LPFFLGETBUFFERSIZE FFLGetBufferSize;
    LPFFLSETBUFFERSIZE FFLSetBufferSize;
    LPFFLGETBUFFERSIZE FFLGetPBufferSize;
    LPFFLSETBUFFERSIZE FFLSetPBufferSize;
    LPFFLGETBUFFERSIZE FFLGetDbBufferSize;
    LPFFLSETBUFFERSIZE FFLSetDbBufferSize;
} PACKLIBEXPORT;

typedef bool(FFLAPI* LPPACKLIBINIT)(PACKLIBEXPORT* lpExport);

#ifdef __cplusplus
}
#endif
