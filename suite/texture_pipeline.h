// The road of a texture between a picture file and a Fastfile item, shared by every program
// that imports or exports textures: the picture class is chosen by the file's extension, the
// picture goes through an IMAGEDATA record into the texture's slots, and a slot goes back
// through a record into a picture file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "texbench/imaging/image_base.h"
#include "texbench/imaging/rim_archive.h"

namespace suite {

// The extension of a file name in lower case, with its dot (".bmp"); empty without one.
std::string LowerExtension(std::string_view path);

// The picture class that reads and writes files of that name: .iff, .ilbm and .lbm are IFF
// ILBM pictures, .bmp and .dib Windows bitmaps, .tga Targa pictures. Null for any other.
std::unique_ptr<CImageBase> PictureClassFor(std::string_view path);

// A ".rim" file holds a whole texture item as it is stored, not one picture.
bool IsWholeTextureFile(std::string_view path);

// Loads the picture file with the given class and makes the texture's slots from it (up to
// three, at falling colour depths). False when the file cannot be read or the slots not made.
// The picture file goes through a stream buffer of the given size (TexBench: "Image Buffer").
bool FillSlotsFromPicture(CImageBase& picture, const std::string& file, CRimArchive& texture,
                          std::uint32_t streamBufferBytes = CImageBase::kDefaultStreamBufferBytes);

// ByteRun1-compresses every filled slot. False, with the slot in *failedSlot, at the first slot
// that cannot be compressed.
bool CompressSlots(CRimArchive& texture, unsigned* failedSlot = nullptr);

// A picture that replaces an existing texture item keeps how that item was drawn and stored:
// its transparency mode and colour, and the compression of its slots (a slot the old item did
// not have takes that of the old item's first slot). Without this a HUD texture comes back
// opaque. True when there is nothing to keep (the old bytes are no texture); false when a slot
// of the fresh texture could not be re-encoded.
bool KeepTextureLook(std::span<const std::uint8_t> oldItem, CRimArchive& fresh);

// Decodes one slot and saves it with the given class; the slot's header (size, depth) in
// *header when given. False when the slot cannot be decoded or the file not written.
bool ExportSlotToPicture(CRimArchive& texture, unsigned slot, CImageBase& picture,
                         const std::string& file, IMAGEHEADER* header = nullptr,
                         std::uint32_t streamBufferBytes = CImageBase::kDefaultStreamBufferBytes);

// The first filled slot, the richest one; nothing when every slot is empty.
std::optional<unsigned> FirstFilledSlot(const CRimArchive& texture);
unsigned FilledSlotCount(const CRimArchive& texture);

}  // namespace suite
