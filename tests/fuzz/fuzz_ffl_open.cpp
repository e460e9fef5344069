// Fastfiles read with their data: both layouts, every size field hostile.
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile file("open.ffl");
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    file.Write(data, size);
    FFLARCHIVE* archive = lib.FFLOpenArchive(file.Path());
    if (archive == nullptr) {
        return 0;
    }
    std::uint32_t seen = 0;
    for (FFLITEM* item = lib.FFLGetFirstItem(archive); item != nullptr;
         item = lib.FFLGetNextItem(item)) {
        std::uint32_t length = 0;
        const void* bytes = lib.FFLGetItemData(item, &length);
        qmfuzz::Checksum(bytes, bytes != nullptr ? length : 0);
        qmfuzz::Checksum(lib.FFLGetItemPath(item), FFL_MAX_PATH);
        ++seen;
    }
    // The count is what callers size their lists by; it must match the list.
    if (seen != lib.FFLGetItemCount(archive)) {
        QMFUZZ_FAIL();
    }
    lib.FFLCloseArchive(archive);
    return 0;
}
