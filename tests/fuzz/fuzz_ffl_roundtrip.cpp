// Fastfile writer: every archive that opens, saved and opened again, has the same items.
#include <cstring>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"

namespace {

struct Item {
    std::string path;
    std::vector<unsigned char> data;
    bool operator==(const Item&) const = default;
};

std::vector<Item> Items(FFLARCHIVE* archive) {
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    std::vector<Item> items;
    for (FFLITEM* item = lib.FFLGetFirstItem(archive); item != nullptr;
         item = lib.FFLGetNextItem(item)) {
        std::uint32_t length = 0;
        const auto* bytes = static_cast<const unsigned char*>(lib.FFLGetItemData(item, &length));
        Item copy{lib.FFLGetItemPath(item), {}};
        if (bytes != nullptr) {
            copy.data.assign(bytes, bytes + length);
        }
        items.push_back(std::move(copy));
    }
    return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile input("roundtrip-in.ffl");
    static const qmfuzz::ScratchFile output("roundtrip-out.ffl");
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    input.Write(data, size);
    FFLARCHIVE* archive = lib.FFLOpenArchive(input.Path());
    if (archive == nullptr) {
        return 0;
    }
    const std::vector<Item> before = Items(archive);
    const bool saved = lib.FFLSaveArchive(archive, output.Path());
    lib.FFLCloseArchive(archive);
    if (!saved) {
        std::abort();
    }
    FFLARCHIVE* reopened = lib.FFLOpenArchive(output.Path());
    // An empty sound archive is written as the end mark alone, which no reader takes back.
    if (reopened == nullptr) {
        if (!before.empty()) {
            std::abort();
        }
        return 0;
    }
    const std::vector<Item> after = Items(reopened);
    lib.FFLCloseArchive(reopened);
    if (after != before) {
        std::abort();
    }
    return 0;
}
