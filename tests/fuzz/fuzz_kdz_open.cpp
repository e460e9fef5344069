// Patches (.kdz): the chunk walk, the five texts, item names, target path lists and data.
#include <cstring>

#include "tests/fuzz/fuzz_support.h"

namespace {

void RequireTerminated(const char* text, std::size_t field) {
    if (text == nullptr || memchr(text, 0, field) == nullptr) {
        QMFUZZ_FAIL();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile file("open.kdz");
    const PATCHLIBEXPORT& lib = qmfuzz::PatchLib();
    file.Write(data, size);
    KDZPATCH* patch = lib.KDZOpenPatch(file.Path());
    if (patch == nullptr) {
        return 0;
    }
    for (const char* text : {patch->szTitle, patch->szVersion, patch->szAuthor, patch->szCopyright,
                             patch->szDescription}) {
        RequireTerminated(text, KDZ_MAX_TEXT);
    }
    std::uint32_t seen = 0;
    for (KDZITEM* item = lib.KDZGetFirstItem(patch); item != nullptr;
         item = lib.KDZGetNextItem(item)) {
        RequireTerminated(lib.KDZGetItemName(item), KDZ_MAX_NAME);
        if (const char* paths = lib.KDZGetItemPath(item)) {
            qmfuzz::Checksum(paths, std::strlen(paths));
        }
        std::uint32_t length = 0;
        const void* bytes = lib.KDZGetItemData(item, &length);
        qmfuzz::Checksum(bytes, bytes != nullptr ? length : 0);
        ++seen;
    }
    if (seen != lib.KDZGetItemCount(patch)) {
        QMFUZZ_FAIL();
    }
    lib.KDZClosePatch(patch);
    return 0;
}
