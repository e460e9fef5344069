// The Fastfile database: "ffinfo.txt", one line per folder of item paths, "prefix;fastfile".
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "packlib/library_state.h"
#include "packlib/packlib.h"
#include "packlib/packlib_exports.h"
#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/debug_output.h"
#include "platform/file_search.h"
#include "platform/stream_buffer.h"

namespace {

using packlib::LiveDatabaseItems;
using packlib::LiveDatabases;

constexpr std::size_t kLineBuffer = 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void CopyField(char* field, std::string_view text) {
    std::memset(field, 0, FFL_MAX_PATH);
    std::memcpy(field, text.data(), std::min<std::size_t>(text.size(), FFL_MAX_PATH - 1));
}

// Compares `length` characters of two texts, ignoring the case of A to Z.
bool EqualNoCase(const char* a, const char* b, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (qm::LowerAscii(a[i]) != qm::LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// True when `path` begins with all of `prefix`, ignoring the case of A to Z. Walks both texts
// once and stops at the first difference, since most entries differ early (a lookup walks the
// list). The end of `path` differs from any prefix character, so it ends a match too.
bool StartsWithNoCase(const char* path, const char* prefix) {
    for (; *prefix != '\0'; ++prefix, ++path) {
        if (qm::LowerAscii(*prefix) != qm::LowerAscii(*path)) {
            return false;
        }
    }
    return true;
}

FFLDB* NewDatabase(std::string_view path) {
    auto* db = static_cast<FFLDB*>(std::calloc(1, sizeof(FFLDB)));
    if (db != nullptr) {
        CopyField(db->szPath, path);
        LiveDatabases().Add(db);
    }
    return db;
}

FFLDBITEM* NewEntry(std::string_view prefix, std::string_view file) {
    auto* entry = static_cast<FFLDBITEM*>(std::calloc(1, sizeof(FFLDBITEM)));
    if (entry != nullptr) {
        CopyField(entry->szPath, prefix);
        CopyField(entry->szFile, file);
        LiveDatabaseItems().Add(entry);
    }
    return entry;
}

void FreeEntry(FFLDBITEM* entry) {
    LiveDatabaseItems().Remove(entry);
    std::free(entry);
}

void FreeDatabase(FFLDB* db) {
    FFLDBITEM* entry = db->lpFirst;
    while (entry != nullptr) {
        FFLDBITEM* next = entry->lpNext;
        FreeEntry(entry);
        entry = next;
    }
    LiveDatabases().Remove(db);
    packlib::DatabaseFileStates().Erase(db);
    std::free(db);
}

// Appends after `*tail` and moves the tail on, so a long file is read in linear time.
void Append(FFLDB* db, FFLDBITEM**& tail, FFLDBITEM* entry) {
    *tail = entry;
    tail = &entry->lpNext;
    ++db->dwCount;
}

FFLDBITEM** TailOf(FFLDB* db) {
    FFLDBITEM** tail = &db->lpFirst;
    while (*tail != nullptr) {
        tail = &(*tail)->lpNext;
    }
    return tail;
}

std::string DefaultDatabasePath() {
    const std::string directory = packlib::FastfileDirectory();
    // The disk may hold the file in any letter case.
    if (auto found = qm::SearchFile(directory, "ffinfo.txt", "")) {
        return *found;
    }
    return directory + "ffinfo.txt";
}

bool IsTooLongOrEmpty(const char* text) {
    return text[0] == '\0' || std::strlen(text) >= FFL_MAX_PATH;
}

// The shared rule of the three text setters.
bool SetField(bool live, char* field, const char* text, const char* function,
              const char* requirement) {
    if (!live || text == nullptr) {
        qm::DebugOutput(
            ("WARNING: " + std::string(function) + "() called with invalid parameter!\n").c_str());
        return false;
    }
    if (IsTooLongOrEmpty(text)) {
        qm::DebugOutput(
            ("WARNING: " + std::string(function) + "() called with invalid parameter:\n").c_str());
        qm::DebugOutput(requirement);
        return false;
    }
    CopyField(field, text);
    return true;
}

// One line as the 1024-byte line buffer holds it: an entry, or nothing for lines skipped.
bool SplitLine(char* line, std::string_view& prefix, std::string_view& file) {
    if (line[0] == '\0') {
        return false;
    }
    if (char* lineFeed = std::strchr(line, '\n')) {
        *lineFeed = '\0';
        // Files written on Windows end their lines with CR LF.
        if (lineFeed > line && lineFeed[-1] == '\r') {
            lineFeed[-1] = '\0';
        }
    }
    if (line[0] == '\0') {
        return false;
    }
    char* semicolon = std::strchr(line, ';');
    if (semicolon == nullptr || semicolon == line) {
        return false;
    }
    *semicolon = '\0';
    prefix = line;
    file = semicolon + 1;
    return true;
}

}  // namespace

extern "C" {

FFLDB* FFLAPI FFLCreateDatabase(const char* lpszPath) {
    if (lpszPath != nullptr && std::strlen(lpszPath) >= FFL_MAX_PATH) {
        qm::DebugOutput("ERROR: FFLCreateDatabase() called with invalid parameter!\n");
        qm::DebugOutput(" required: lpszPath < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return nullptr;
    }
    FFLDB* db = NewDatabase(lpszPath != nullptr ? lpszPath : "");
    if (db == nullptr) {
        qm::DebugOutput("ERROR: FFLCreateDatabase() failed to create Database\n");
    }
    return db;
}

FFLDB* FFLAPI FFLOpenDatabase(const char* lpszPath) {
    const std::string path = (lpszPath != nullptr && lpszPath[0] != '\0') ? std::string(lpszPath)
                                                                          : DefaultDatabasePath();
    // The path is kept for saving back: cut to fit its field it would name another file.
    if (path.size() >= FFL_MAX_PATH) {
        qm::DebugOutput("WARNING: FFLOpenDatabase() called with invalid parameter!\n");
        qm::DebugOutput(" required: lpszPath < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return nullptr;
    }
    qm::StreamBuffer buffer;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        qm::DebugOutput("WARNING: FFLOpenDatabase() failed to open Database\n");
        return nullptr;
    }
    const auto state = qm::IdentityOf(file.get());
    buffer.Apply(file.get(), packlib::DatabaseBufferBytes());
    FFLDB* db = NewDatabase(path);
    if (db == nullptr) {
        qm::DebugOutput("ERROR: FFLOpenDatabase() failed to allocate memory\n");
        return nullptr;
    }
    FFLDBITEM** tail = &db->lpFirst;
    char line[kLineBuffer];
    while (std::fgets(line, sizeof line, file.get()) != nullptr) {
        std::string_view prefix, fastfile;
        if (!SplitLine(line, prefix, fastfile)) {
            continue;
        }
        FFLDBITEM* entry = NewEntry(prefix, fastfile);
        if (entry == nullptr) {
            qm::DebugOutput("ERROR: FFLOpenDatabase() failed to allocate memory\n");
            FreeDatabase(db);
            return nullptr;
        }
        Append(db, tail, entry);
    }
    // A read error (a directory, a failing disk) is no end of file: half a database would
    // send lookups to the wrong Fastfile, so the open fails as a whole.
    if (std::ferror(file.get())) {
        qm::DebugOutput("WARNING: FFLOpenDatabase() failed to open Database\n");
        FreeDatabase(db);
        return nullptr;
    }
    if (state) {
        packlib::DatabaseFileStates().Set(db, *state);
    }
    return db;
}

bool FFLAPI FFLSaveDatabase(FFLDB* lpDb, const char* lpszPath) {
    if (!LiveDatabases().Contains(lpDb)) {
        return false;
    }
    const std::string target =
        (lpszPath != nullptr && lpszPath[0] != '\0') ? lpszPath : lpDb->szPath;
    // A name cut to fit would be another file, which the save would then overwrite.
    if (target.size() >= FFL_MAX_PATH) {
        qm::DebugOutput("WARNING: FFLSaveDatabase() failed to save Database\n");
        qm::DebugOutput(" required: lpszPath < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return false;
    }
    if (target.empty()) {
        qm::DebugOutput("ERROR: FFLSaveDatabase() no filename given!\n");
        return false;
    }
    if (lpDb->szPath[0] == '\0') {
        CopyField(lpDb->szPath, target);
    }
    // Written beside the old file and renamed over it, so a failed save keeps the old one; a
    // file someone else saved since it was read is not overwritten.
    const auto read = packlib::DatabaseFileStates().Get(lpDb);
    const auto now = qm::IdentityOf(target);
    const bool sameFile = read && (target == lpDb->szPath || (now && now->SameFile(*read)));
    qm::AtomicFile file(target);
    if (sameFile) {
        file.ExpectUnchanged(*read);
    }
    if (!file.Open()) {
        const int error = file.Error();
        qm::DebugOutput("WARNING: FFLSaveDatabase() failed to save Database\n");
        if (error == qm::kErrorChangedOnDisk) {
            qm::DebugOutput(" the file changed on disk since it was read\n");
        }
        errno = error;
        return false;
    }
    file.SetBufferSize(packlib::DatabaseBufferBytes());
    char line[kLineBuffer];
    for (const FFLDBITEM* entry = lpDb->lpFirst; entry != nullptr; entry = entry->lpNext) {
        std::snprintf(line, sizeof line, "%s;%s\n", entry->szPath, entry->szFile);
        std::fputs(line, file.Stream());
        if (std::ferror(file.Stream())) {
            return false;
        }
    }
    if (!file.Commit()) {
        return false;
    }
    if (file.Committed() && (sameFile || target == lpDb->szPath)) {
        packlib::DatabaseFileStates().Set(lpDb, *file.Committed());
    }
    return true;
}

void FFLAPI FFLCloseDatabase(FFLDB* lpDb) {
    if (LiveDatabases().Contains(lpDb)) {
        FreeDatabase(lpDb);
    }
}

uint32_t FFLAPI FFLGetDbItemCount(FFLDB* lpDb) {
    return LiveDatabases().Contains(lpDb) ? lpDb->dwCount : 0;
}

const char* FFLAPI FFLGetDbPath(FFLDB* lpDb) {
    return LiveDatabases().Contains(lpDb) ? lpDb->szPath : nullptr;
}

bool FFLAPI FFLSetDbPath(FFLDB* lpDb, const char* lpszPath) {
    const bool live = LiveDatabases().Contains(lpDb);
    return SetField(live, live ? lpDb->szPath : nullptr, lpszPath, "FFLSetDbPath",
                    " required: 0 < lpszPath < MAX_PATH\n");
}

FFLDBITEM* FFLAPI FFLGetFirstDbItem(FFLDB* lpDb) {
    return LiveDatabases().Contains(lpDb) ? lpDb->lpFirst : nullptr;
}

FFLDBITEM* FFLAPI FFLGetNextDbItem(FFLDBITEM* lpItem) {
    return LiveDatabaseItems().Contains(lpItem) ? lpItem->lpNext : nullptr;
}

const char* FFLAPI FFLGetDbItemPath(FFLDBITEM* lpItem) {
    return LiveDatabaseItems().Contains(lpItem) ? lpItem->szPath : nullptr;
}

const char* FFLAPI FFLGetDbItemFile(FFLDBITEM* lpItem) {
    return LiveDatabaseItems().Contains(lpItem) ? lpItem->szFile : nullptr;
}

bool FFLAPI FFLSetDbItemPath(FFLDBITEM* lpItem, const char* lpszPath) {
    const bool live = LiveDatabaseItems().Contains(lpItem);
    return SetField(live, live ? lpItem->szPath : nullptr, lpszPath, "FFLSetDbItemPath",
                    " required: 0 < lpszPath < MAX_PATH\n");
}

bool FFLAPI FFLSetDbItemFile(FFLDBITEM* lpItem, const char* lpszFile) {
    const bool live = LiveDatabaseItems().Contains(lpItem);
    return SetField(live, live ? lpItem->szFile : nullptr, lpszFile, "FFLSetDbItemFile",
                    " required: 0 < lpszFile < MAX_PATH\n");
}

FFLDBITEM* FFLAPI FFLAddDbItem(FFLDB* lpDb, const char* lpszPath, const char* lpszFFL) {
    if (!LiveDatabases().Contains(lpDb)) {
        qm::DebugOutput("WARNING: FFLAddDbItem() called with invalid parameter!\n");
        return nullptr;
    }
    if (lpszPath == nullptr || IsTooLongOrEmpty(lpszPath)) {
        qm::DebugOutput("WARNING: FFLAddDbItem() called with invalid parameter!\n");
        qm::DebugOutput(" required: 0 < lpszPath < MAX_PATH\n");
        return nullptr;
    }
    if (lpszFFL == nullptr || IsTooLongOrEmpty(lpszFFL)) {
        qm::DebugOutput("WARNING: FFLAddDbItem() called with invalid parameter!\n");
        qm::DebugOutput(" required: 0 < lpszFFL < MAX_PATH\n");
        return nullptr;
    }
    FFLDBITEM* entry = NewEntry(lpszPath, lpszFFL);
    if (entry == nullptr) {
        qm::DebugOutput("WARNING: FFLAddDbItem() failed to create new item!\n");
        return nullptr;
    }
    FFLDBITEM** tail = TailOf(lpDb);
    Append(lpDb, tail, entry);
    return entry;
}

void FFLAPI FFLDeleteDbItem(FFLDB* lpDb, FFLDBITEM* lpItem) {
    if (!LiveDatabases().Contains(lpDb) || !LiveDatabaseItems().Contains(lpItem)) {
        qm::DebugOutput("WARNING: FFLDeleteDbItem() called with invalid parameter!\n");
        return;
    }
    for (FFLDBITEM** link = &lpDb->lpFirst; *link != nullptr; link = &(*link)->lpNext) {
        if (*link == lpItem) {
            *link = lpItem->lpNext;
            FreeEntry(lpItem);
            if (lpDb->dwCount > 0) {
                --lpDb->dwCount;
            }
            return;
        }
    }
    qm::DebugOutput("ERROR: FFLDeleteDbItem() the specified item is NOT in this list!\n");
}

FFLDBITEM* FFLAPI FFLFindDbItem(FFLDB* lpDb, const char* lpszPath, const char* lpszFile) {
    if (!LiveDatabases().Contains(lpDb)) {
        return nullptr;
    }
    if (lpszPath != nullptr && lpszPath[0] != '\0') {
        for (FFLDBITEM* entry = lpDb->lpFirst; entry != nullptr; entry = entry->lpNext) {
            if (StartsWithNoCase(lpszPath, entry->szPath)) {
                return entry;
            }
        }
        return nullptr;
    }
    if (lpszFile != nullptr && lpszFile[0] != '\0') {
        const std::size_t length = std::strlen(lpszFile);
        for (FFLDBITEM* entry = lpDb->lpFirst; entry != nullptr; entry = entry->lpNext) {
            if (std::strlen(entry->szFile) == length &&
                EqualNoCase(entry->szFile, lpszFile, length)) {
                return entry;
            }
        }
        return nullptr;
    }
    qm::DebugOutput("WARNING: FFLFindDbItem() called with invalid parameters!\n");
    return nullptr;
}

}  // extern "C"
