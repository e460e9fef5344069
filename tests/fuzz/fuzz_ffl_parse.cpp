// Fastfiles read for their names only: the directory walk without a data block.
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile file("parse.ffl");
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    file.Write(data, size);
    FFLARCHIVE* archive = lib.FFLParseArchive(file.Path());
    if (archive == nullptr) {
        return 0;
    }
    std::uint32_t seen = 0;
    for (FFLITEM* item = lib.FFLGetFirstItem(archive); item != nullptr;
         item = lib.FFLGetNextItem(item)) {
        // Names and listed lengths only: an item that carries data here would be a reader
        // mix-up, and nothing may be read through one.
        std::uint32_t size = 1;
        if (item->lpData != nullptr || lib.FFLGetItemData(item, &size) != nullptr || size != 0) {
            QMFUZZ_FAIL();
        }
        qmfuzz::Checksum(lib.FFLGetItemPath(item), FFL_MAX_PATH);
        ++seen;
    }
    if (seen != lib.FFLGetItemCount(archive)) {
        QMFUZZ_FAIL();
    }
    lib.FFLCloseArchive(archive);
    return 0;
}
