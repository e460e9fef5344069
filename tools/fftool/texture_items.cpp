#include "tools/fftool/texture_items.h"

#include "suite/texture_pipeline.h"
#include "texbench/imaging/rim_archive.h"
#include "tools/fftool/file_arguments.h"
#include "tools/fftool/picture_codec.h"

namespace fftool {

OpenArchive::OpenArchive(const PACKLIBEXPORT* lib, const std::string& file)
    : lib_(lib), archive_(lib->FFLOpenArchive(ArchiveFileArgument(file).c_str())) {}

OpenArchive::~OpenArchive() {
    if (archive_ != nullptr) {
        lib_->FFLCloseArchive(archive_);
    }
}

std::span<const std::uint8_t> ItemBytes(const PACKLIBEXPORT* lib, FFLITEM* item) {
    std::uint32_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(lib->FFLGetItemData(item, &size));
    return data != nullptr ? std::span(data, size) : std::span<const std::uint8_t>();
}

FFLITEM* FindItemArgument(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const std::string& path) {
    FFLITEM* item = lib->FFLFindItem(archive, path.c_str(), false);
    return item != nullptr ? item
                           : lib->FFLFindItem(archive, ItemPathArgument(path).c_str(), false);
}

std::optional<TextureBytes> TextureFromPictureFile(const std::string& picture,
                                                   suite::PictureFormat format,
                                                   std::span<const std::uint8_t> oldItem,
                                                   bool compress, std::string* why) {
    suite::PictureReading reading;
    reading.fallback = PictureCodecOrNull();
    // Transparent pixels keep the colour the item had for them, when the picture allows.
    reading.preferredTransparent = suite::TransparentColorOf(oldItem);
    suite::Picture read;
    if (!suite::ReadPicture(picture, format, read, reading)) {
        *why = "cannot read a picture from " + picture;
        return std::nullopt;
    }
    CRimArchive texture;
    if (!suite::TextureFromPicture(read, oldItem, texture)) {
        *why = "cannot make texture slots of " + picture +
               " with the transparency and compression of the old item";
        return std::nullopt;
    }
    unsigned failedSlot = 0;
    if (compress && !suite::CompressSlots(texture, &failedSlot)) {
        *why = "cannot compress slot " + std::to_string(failedSlot);
        return std::nullopt;
    }
    return TextureBytes{texture.Compile(), suite::FilledSlotCount(texture)};
}

bool TextureToPictureFile(std::span<const std::uint8_t> item, std::optional<unsigned> slot,
                          suite::PictureFormat format, const std::string& out, IMAGEHEADER* header,
                          std::string* why) {
    CRimArchive texture;
    if (!texture.Parse(item)) {
        *why = "not a texture";
        return false;
    }
    // A texture without any filled slot fails below, at its first slot.
    const unsigned chosen = slot.value_or(suite::FirstFilledSlot(texture).value_or(0));
    suite::ImageRecord image;
    if (!texture.ExportSlot(chosen, image.Get())) {
        *why = "cannot decode slot " + std::to_string(chosen);
        return false;
    }
    if (header != nullptr) {
        *header = image.Get()->header;
    }
    if (!suite::WritePicture(image.Get(), out, format, PictureCodecOrNull())) {
        *why = "cannot write " + out;
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> TextureToPictureBytes(std::span<const std::uint8_t> item,
                                                               suite::PictureFormat format,
                                                               std::string* why) {
    CRimArchive texture;
    if (!texture.Parse(item)) {
        *why = "not a texture";
        return std::nullopt;
    }
    const unsigned slot = suite::FirstFilledSlot(texture).value_or(0);
    suite::ImageRecord image;
    if (!texture.ExportSlot(slot, image.Get())) {
        *why = "cannot decode slot " + std::to_string(slot);
        return std::nullopt;
    }
    auto bytes = suite::EncodePicture(image.Get(), format, PictureCodecOrNull());
    if (!bytes) {
        *why = "cannot make the picture";
    }
    return bytes;
}

}  // namespace fftool
