// The PE layout read here: the DOS header points at the PE signature, the optional header's
// third data directory at the resource tree (type, name, language), whose RT_VERSION leaf is
// a VS_VERSIONINFO block: VS_FIXEDFILEINFO as its value, then StringFileInfo and VarFileInfo
// children; VarFileInfo's "Translation" value lists language/code-page pairs. Every offset
// comes from the file and is checked against its size.
#include "setup/file_version.h"

#include <fstream>
#include <string_view>
#include <vector>

#include "platform/byte_order.h"

namespace qm::setup {

namespace {

constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kVersionResourceType = 16;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
// Program files are far smaller; a larger file is compared by its time.
constexpr std::size_t kMaxReadSize = 64u << 20;
constexpr int kMaxBlockDepth = 8;

class Bytes {
  public:
    explicit Bytes(std::span<const std::uint8_t> data) : data_(data) {}
    bool Has(std::size_t offset, std::size_t size) const {
        return offset <= data_.size() && size <= data_.size() - offset;
    }
    std::uint16_t U16(std::size_t offset) const { return GetU16LE(data_.data() + offset); }
    std::uint32_t U32(std::size_t offset) const { return GetU32LE(data_.data() + offset); }
    std::size_t Size() const { return data_.size(); }

  private:
    std::span<const std::uint8_t> data_;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawOffset;
    std::uint32_t rawSize;
};

std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

class PeFile {
  public:
    explicit PeFile(std::span<const std::uint8_t> data) : bytes_(data) {}

    std::optional<FileVersion> Version() {
        if (!ReadHeaders()) {
            return std::nullopt;
        }
        const auto leaf = VersionLeaf();
        if (!leaf) {
            return std::nullopt;
        }
        return ParseVersionInfo(leaf->first, leaf->second);
    }

  private:
    bool ReadHeaders() {
        if (!bytes_.Has(0, 64) || bytes_.U16(0) != 0x5A4D) {
            return false;
        }
        const std::size_t pe = bytes_.U32(0x3C);
        if (!bytes_.Has(pe, 24) || bytes_.U32(pe) != 0x00004550) {
            return false;
        }
        const std::size_t sectionCount = bytes_.U16(pe + 6);
        const std::size_t optionalSize = bytes_.U16(pe + 20);
        const std::size_t optional = pe + 24;
        if (!bytes_.Has(optional, optionalSize) || optionalSize < 2) {
            return false;
        }
        const std::uint16_t magic = bytes_.U16(optional);
        const std::size_t countOffset = magic == 0x20b ? 108 : magic == 0x10b ? 92 : 0;
        if (countOffset == 0 || optionalSize < countOffset + 4 + 3 * 8 ||
            bytes_.U32(optional + countOffset) < 3) {
            return false;
        }
        resourceRva_ = bytes_.U32(optional + countOffset + 4 + 2 * 8);
        const std::size_t table = optional + optionalSize;
        if (!bytes_.Has(table, sectionCount * 40)) {
            return false;
        }
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const std::size_t s = table + i * 40;
            sections_.push_back(
                {bytes_.U32(s + 12), bytes_.U32(s + 8), bytes_.U32(s + 20), bytes_.U32(s + 16)});
        }
        return resourceRva_ != 0;
    }

    std::optional<std::size_t> FileOffset(std::uint32_t rva, std::size_t size) const {
        for (const Section& section : sections_) {
            const std::uint64_t start = section.virtualAddress;
            if (rva >= start && rva - start < section.rawSize) {
                const std::uint64_t offset = std::uint64_t{section.rawOffset} + (rva - start);
                if (rva - start + size <= section.rawSize && bytes_.Has(offset, size)) {
                    return static_cast<std::size_t>(offset);
                }
            }
        }
        return std::nullopt;
    }

    // The directory entry with the given id, or the first entry when id is 0; its target
    // relative to the start of the resource tree.
    std::optional<std::uint32_t> DirectoryEntry(std::size_t directory, std::uint32_t id) const {
        if (!bytes_.Has(directory, 16)) {
            return std::nullopt;
        }
        const std::size_t count =
            std::size_t{bytes_.U16(directory + 12)} + bytes_.U16(directory + 14);
        if (!bytes_.Has(directory + 16, count * 8)) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = directory + 16 + i * 8;
            if (id == 0 || bytes_.U32(entry) == id) {
                return bytes_.U32(entry + 4);
            }
        }
        return std::nullopt;
    }

    // File offset and size of the version resource's data.
    std::optional<std::pair<std::size_t, std::size_t>> VersionLeaf() const {
        const auto root = FileOffset(resourceRva_, 16);
        if (!root) {
            return std::nullopt;
        }
        // Type, then the first name, then the first language.
        std::uint32_t target = 0;
        std::size_t directory = *root;
        for (const std::uint32_t id : {kVersionResourceType, 0u, 0u}) {
            const auto entry = DirectoryEntry(directory, id);
            if (!entry) {
                return std::nullopt;
            }
            target = *entry;
            if ((target & kSubdirectoryBit) == 0) {
                break;
            }
            directory = *root + (target & ~kSubdirectoryBit);
        }
        if ((target & kSubdirectoryBit) != 0 || !bytes_.Has(*root + target, 16)) {
            return std::nullopt;
        }
        const std::size_t dataEntry = *root + target;
        const std::uint32_t size = bytes_.U32(dataEntry + 4);
        const auto data = FileOffset(bytes_.U32(dataEntry), size);
        if (!data) {
            return std::nullopt;
        }
        return std::make_pair(*data, static_cast<std::size_t>(size));
    }

    // The key of a version block and where its value starts.
    std::optional<std::pair<std::u16string, std::size_t>> BlockKey(std::size_t block,
                                                                   std::size_t end) const {
        std::u16string key;
        std::size_t offset = block + 6;
        while (true) {
            if (offset + 2 > end) {
                return std::nullopt;
            }
            const char16_t c = bytes_.U16(offset);
            offset += 2;
            if (c == 0) {
                break;
            }
            key += c;
        }
        return std::make_pair(key, Align4(offset));
    }

    std::optional<FileVersion> ParseVersionInfo(std::size_t start, std::size_t size) const {
        if (size < 6 || bytes_.U16(start) > size) {
            return std::nullopt;
        }
        const std::size_t end = start + bytes_.U16(start);
        const auto key = BlockKey(start, end);
        const std::size_t valueSize = bytes_.U16(start + 2);
        if (!key || key->first != u"VS_VERSION_INFO" || valueSize < 52 || key->second + 52 > end ||
            bytes_.U32(key->second) != kFixedFileInfoSignature) {
            return std::nullopt;
        }
        FileVersion version;
        version.version =
            std::uint64_t{bytes_.U32(key->second + 8)} << 32 | bytes_.U32(key->second + 12);
        FindTranslation(Align4(key->second + valueSize), end, 0, version.translation);
        return version;
    }

    // Walks the children between begin and end for VarFileInfo\Translation.
    bool FindTranslation(std::size_t begin, std::size_t end, int depth,
                         std::uint32_t& translation) const {
        for (std::size_t block = begin; block + 6 <= end && depth < kMaxBlockDepth;) {
            const std::size_t length = bytes_.U16(block);
            if (length < 6 || block + length > end) {
                return false;
            }
            const std::size_t blockEnd = block + length;
            const auto key = BlockKey(block, blockEnd);
            if (!key) {
                return false;
            }
            const std::size_t valueSize = bytes_.U16(block + 2);
            if (key->first == u"Translation" && valueSize >= 4 && key->second + 4 <= blockEnd) {
                translation = bytes_.U32(key->second);
                return true;
            }
            if (key->first == u"VarFileInfo" && FindTranslation(Align4(key->second + valueSize),
                                                                blockEnd, depth + 1, translation)) {
                return true;
            }
            block = Align4(blockEnd);
        }
        return false;
    }

    Bytes bytes_;
    std::uint32_t resourceRva_ = 0;
    std::vector<Section> sections_;
};

}  // namespace

std::optional<FileVersion> ParseFileVersion(std::span<const std::uint8_t> file) {
    return PeFile(file).Version();
}

std::optional<FileVersion> ReadFileVersion(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    char magic[2] = {};
    if (!stream.read(magic, 2) || magic[0] != 'M' || magic[1] != 'Z') {
        return std::nullopt;
    }
    stream.seekg(0, std::ios::end);
    const std::streamoff size = stream.tellg();
    if (size <= 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data(
        std::min<std::size_t>(static_cast<std::size_t>(size), kMaxReadSize));
    stream.seekg(0);
    if (!stream.read(reinterpret_cast<char*>(data.data()),
                     static_cast<std::streamsize>(data.size()))) {
        return std::nullopt;
    }
    return ParseFileVersion(data);
}

}  // namespace qm::setup
