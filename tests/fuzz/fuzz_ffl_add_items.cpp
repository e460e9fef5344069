// Fastfile writer fed with items: arbitrary paths and bytes added to an archive of either
// layout, saved and opened again. Every save must give back exactly the items that were
// accepted, or be refused before the file is touched: no save may write a Fastfile that the
// library's own reader refuses.
//
// Input: one byte choosing the layout (even: directory, odd: sound), then items, each a
// path length byte, the path, a two-byte little-endian data length and the data.
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

// A valid sound archive of one short sound, the start of every sound-layout run.
std::vector<unsigned char> SoundSeed() {
    std::vector<unsigned char> bytes = {0x01, 0x00};
    const char path[] = "sounds\\seed.wav";
    bytes.insert(bytes.end(), path, path + sizeof(path));
    const unsigned char chunk[] = {'R', 'I', 'F', 'F', 12,  0,   0, 0, 'W', 'A',
                                   'V', 'E', 'f', 'm', 't', ' ', 0, 0, 0,   0};
    bytes.insert(bytes.end(), chunk, chunk + sizeof(chunk));
    bytes.push_back(0xFF);
    bytes.push_back(0xFF);
    return bytes;
}

class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return position_ >= size_; }
    std::size_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    const std::uint8_t* Take(std::size_t* count) {
        *count = std::min(*count, size_ - position_);
        const std::uint8_t* start = data_ + position_;
        position_ += *count;
        return start;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

const unsigned char kUntouched[] = "the file before the save";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile seed("add-seed.ffl");
    static const qmfuzz::ScratchFile output("add-out.ffl");
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    Reader input(data, size);
    const bool sound = (input.Byte() & 1) != 0;
    FFLARCHIVE* archive = nullptr;
    if (sound) {
        const std::vector<unsigned char> bytes = SoundSeed();
        seed.Write(bytes.data(), bytes.size());
        archive = lib.FFLOpenArchive(seed.Path());
    } else {
        archive = lib.FFLCreateArchive(nullptr);
    }
    if (archive == nullptr) {
        QMFUZZ_FAIL();
    }
    while (!input.AtEnd()) {
        std::size_t pathLength = input.Byte() * 2;  // up to 510: past the 259 a path may hold
        const std::uint8_t* path = input.Take(&pathLength);
        std::size_t dataLength = input.Byte();
        dataLength |= input.Byte() << 8;
        const std::uint8_t* bytes = input.Take(&dataLength);
        const std::string name(reinterpret_cast<const char*>(path), pathLength);
        lib.FFLAddItem(archive, name.c_str(), bytes, static_cast<std::uint32_t>(dataLength));
    }
    const std::vector<Item> before = Items(archive);
    output.Write(kUntouched, sizeof(kUntouched));
    const bool saved = lib.FFLSaveArchive(archive, output.Path());
    lib.FFLCloseArchive(archive);
    if (!saved) {
        // Refused: the file is as it was.
        FFLARCHIVE* untouched = lib.FFLOpenArchive(output.Path());
        if (untouched != nullptr) {
            lib.FFLCloseArchive(untouched);
            QMFUZZ_FAIL();
        }
        std::FILE* file = std::fopen(output.Path(), "rb");
        unsigned char back[sizeof(kUntouched) + 1] = {};
        const std::size_t got = file != nullptr ? std::fread(back, 1, sizeof(back), file) : 0;
        if (file != nullptr) {
            std::fclose(file);
        }
        if (got != sizeof(kUntouched) || std::memcmp(back, kUntouched, got) != 0) {
            QMFUZZ_FAIL();
        }
        return 0;
    }
    FFLARCHIVE* reopened = lib.FFLOpenArchive(output.Path());
    if (reopened == nullptr) {
        QMFUZZ_FAIL();  // saved, but its own reader refuses it
    }
    const std::vector<Item> after = Items(reopened);
    lib.FFLCloseArchive(reopened);
    // The directory layout writes items that all lack data with a data block size of 0,
    // which reads as an empty archive: their names do not come back.
    bool noData = true;
    for (const Item& item : before) {
        noData = noData && item.data.empty();
    }
    if (!sound && noData && after.empty()) {
        return 0;
    }
    if (after != before) {
        QMFUZZ_FAIL();
    }
    return 0;
}
