// Fastfile writer: every archive that opens, saved and opened again, has the same items.
#include <algorithm>
#include <cstring>
#include <filesystem>
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
    const bool sound = archive->bSound != 0;
    const bool saved = lib.FFLSaveArchive(archive, output.Path());
    lib.FFLCloseArchive(archive);
    // Every open first reads a 20-byte header, so a sound archive that would be written
    // shorter than that (the end mark alone, or one tiny chunk) is refused by the save.
    std::size_t soundBytes = 2;
    for (const Item& item : before) {
        soundBytes += 2 + item.path.size() + 1 + item.data.size();
    }
    if (!saved && !(sound && soundBytes < 20)) {
        QMFUZZ_FAIL();
    }
    if (!saved) {
        return 0;
    }
    FFLARCHIVE* reopened = lib.FFLOpenArchive(output.Path());
    // Every open first reads a 20-byte header, so a sound archive written shorter than that
    // (the end mark alone, or one tiny chunk) is not taken back.
    if (reopened == nullptr) {
        if (!before.empty() && std::filesystem::file_size(output.Path()) >= 20) {
            QMFUZZ_FAIL();
        }
        return 0;
    }
    const std::vector<Item> after = Items(reopened);
    lib.FFLCloseArchive(reopened);
    // Items that all lack data are written with a data block size of 0, and the reader takes a
    // header with a zero size as an empty archive: their names do not come back.
    const bool noData = std::all_of(before.begin(), before.end(),
                                    [](const Item& item) { return item.data.empty(); });
    if (noData && after.empty()) {
        return 0;
    }
    if (after != before) {
        QMFUZZ_FAIL();
    }
    return 0;
}
