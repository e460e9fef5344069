// What fftool's texture commands share: an archive that closes itself, and the two ways of a
// texture item, into a picture file and back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "packlib/packlib.h"
#include "suite/picture_formats.h"
#include "texbench/imaging/image_data.h"

namespace fftool {

class OpenArchive {
  public:
    OpenArchive(const PACKLIBEXPORT* lib, const std::string& file);
    ~OpenArchive();
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;
    FFLARCHIVE* get() const { return archive_; }

  private:
    const PACKLIBEXPORT* lib_;
    FFLARCHIVE* archive_;
};

std::span<const std::uint8_t> ItemBytes(const PACKLIBEXPORT* lib, FFLITEM* item);

// The item of that path, typed with "\" or "/"; null when there is none.
FFLITEM* FindItemArgument(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const std::string& path);

// A new texture item made from a picture file: its slots at falling depths, the look (the
// transparency and compression) of the item it replaces when `oldItem` is one, transparency
// from the picture's own alpha, ByteRun1 slots when `compress`. Nothing, with the reason in
// *why, when the picture cannot be read or the slots not made.
struct TextureBytes {
    std::vector<std::uint8_t> bytes;
    unsigned slots = 0;
};
std::optional<TextureBytes> TextureFromPictureFile(const std::string& picture,
                                                   suite::PictureFormat format,
                                                   std::span<const std::uint8_t> oldItem,
                                                   bool compress, std::string* why);

// Writes one slot of a texture item (the first filled one without `slot`) as a picture file.
// False, with the reason in *why, when the item is no texture or the file cannot be written.
bool TextureToPictureFile(std::span<const std::uint8_t> item, std::optional<unsigned> slot,
                          suite::PictureFormat format, const std::string& out, IMAGEHEADER* header,
                          std::string* why);

// The picture file of the texture item's first filled slot, made in memory; nothing, with
// the reason in *why, when the item is no texture or the picture cannot be made.
std::optional<std::vector<std::uint8_t>> TextureToPictureBytes(std::span<const std::uint8_t> item,
                                                               suite::PictureFormat format,
                                                               std::string* why);

}  // namespace fftool
