#include "suite/item_kind.h"

#include <cstring>

namespace suite {
namespace {

constexpr std::uint32_t kKindHeaderSize = 12;

bool TagAt(const unsigned char* data, std::size_t offset, const char* tag) {
    return std::memcmp(data + offset, tag, 4) == 0;
}

}  // namespace

ItemKind KindOfData(const unsigned char* data, std::uint32_t size) {
    if (data == nullptr || size < kKindHeaderSize) {
        return ItemKind::Other;
    }
    if (TagAt(data, 0, "LIST") && TagAt(data, 8, "ILBM")) {
        return ItemKind::Image;
    }
    if (TagAt(data, 0, "RIFF") && TagAt(data, 8, "WAVE")) {
        return ItemKind::Sound;
    }
    return ItemKind::Other;
}

ItemKind KindOfItem(const FFLITEM* item) {
    if (item == nullptr) {
        return ItemKind::Other;
    }
    return KindOfData(item->lpData, item->dwSize);
}

ItemKind KindOfArchive(const FFLARCHIVE* archive) {
    if (archive == nullptr) {
        return ItemKind::Other;
    }
    return KindOfItem(archive->lpFirst);
}

}  // namespace suite
