// Patch writer: every patch that opens, saved and opened again, has the same texts and items.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"

namespace {

struct Item {
    std::string name;
    std::string paths;
    std::vector<unsigned char> data;
    bool operator==(const Item&) const = default;
};

struct Patch {
    std::vector<std::string> texts;
    std::vector<Item> items;
    bool operator==(const Patch&) const = default;
};

Patch Read(KDZPATCH* patch) {
    const PATCHLIBEXPORT& lib = qmfuzz::PatchLib();
    Patch copy;
    copy.texts = {patch->szTitle, patch->szVersion, patch->szAuthor, patch->szCopyright,
                  patch->szDescription};
    for (KDZITEM* item = lib.KDZGetFirstItem(patch); item != nullptr;
         item = lib.KDZGetNextItem(item)) {
        std::uint32_t length = 0;
        const auto* bytes = static_cast<const unsigned char*>(lib.KDZGetItemData(item, &length));
        const char* paths = lib.KDZGetItemPath(item);
        Item one{lib.KDZGetItemName(item), paths != nullptr ? paths : "", {}};
        if (bytes != nullptr) {
            one.data.assign(bytes, bytes + length);
        }
        copy.items.push_back(std::move(one));
    }
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile input("roundtrip-in.kdz");
    static const qmfuzz::ScratchFile output("roundtrip-out.kdz");
    const PATCHLIBEXPORT& lib = qmfuzz::PatchLib();
    input.Write(data, size);
    KDZPATCH* patch = lib.KDZOpenPatch(input.Path());
    if (patch == nullptr) {
        return 0;
    }
    Patch before = Read(patch);
    // The writer leaves out items with no target path or no data; a patch read from a
    // hand-made file may hold such items.
    std::erase_if(before.items,
                  [](const Item& item) { return item.paths.empty() || item.data.empty(); });
    const bool blank = lib.KDZGetItemCount(patch) == 0 &&
                       std::all_of(before.texts.begin(), before.texts.end(),
                                   [](const std::string& text) { return text.empty(); });
    const bool saved = lib.KDZSavePatch(patch, output.Path());
    // A patch with no items and no texts is refused on saving, by design.
    if (blank) {
        lib.KDZClosePatch(patch);
        if (saved) {
            QMFUZZ_FAIL();
        }
        return 0;
    }
    lib.KDZClosePatch(patch);
    if (!saved) {
        QMFUZZ_FAIL();
    }
    KDZPATCH* reopened = lib.KDZOpenPatch(output.Path());
    if (reopened == nullptr) {
        QMFUZZ_FAIL();
    }
    const Patch after = Read(reopened);
    lib.KDZClosePatch(reopened);
    if (after != before) {
        QMFUZZ_FAIL();
    }
    return 0;
}
