// The Fastfile database text ("ffinfo.txt"): lines of item path prefixes and file names.
#include <cstring>

#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile file("ffinfo.txt");
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    file.Write(data, size);
    FFLDB* db = lib.FFLOpenDatabase(file.Path());
    if (db == nullptr) {
        return 0;
    }
    std::uint32_t seen = 0;
    for (FFLDBITEM* item = lib.FFLGetFirstDbItem(db); item != nullptr;
         item = lib.FFLGetNextDbItem(item)) {
        // Both texts must be terminated inside their fields, and a prefix is never empty.
        const char* path = lib.FFLGetDbItemPath(item);
        const char* name = lib.FFLGetDbItemFile(item);
        if (path == nullptr || name == nullptr || memchr(path, 0, FFL_MAX_PATH) == nullptr ||
            memchr(name, 0, FFL_MAX_PATH) == nullptr || path[0] == '\0') {
            QMFUZZ_FAIL();
        }
        // Looking an entry up by its own texts must find an entry.
        if (lib.FFLFindDbItem(db, path, name) == nullptr) {
            QMFUZZ_FAIL();
        }
        ++seen;
    }
    if (seen != lib.FFLGetDbItemCount(db)) {
        QMFUZZ_FAIL();
    }
    lib.FFLCloseDatabase(db);
    return 0;
}
