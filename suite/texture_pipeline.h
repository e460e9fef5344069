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
#include <vector>

#include "suite/image_record.h"
#include "suite/picture_formats.h"
#include "texbench/imaging/image_base.h"
#include "texbench/imaging/rim_archive.h"

namespace suite {

// A picture read from a file, on its way into a texture.
struct Picture {
    ImageRecord image;
    // Set when the picture's own alpha made pixels fully transparent: they are painted in this
    // colour (0x00BBGGRR, one no opaque pixel has), which the texture takes as its transparent
    // colour.
    std::optional<std::uint32_t> transparentColor;
};

// Reads and writes pictures beyond what the suite's own file classes do: formats they do not
// know (PNG) and the files they refuse (1- and 32-bit or bit-field BMPs, OS/2 1.x BMPs, 32-bit
// and grey TGAs). The programs with Qt pass its image readers (suite/qt/qt_picture_codec.h);
// without one, only the suite's own classes read and write.
class PictureCodec {
  public:
    virtual ~PictureCodec() = default;
    // Replaces the picture by the file's, as a 24-bit or 8-bit record within the largest
    // picture. `preferredTransparent` (0x00BBGGRR) is the colour to paint fully transparent
    // pixels in when no opaque pixel has it.
    virtual bool Read(const std::string& file, PictureFormat format, Picture& picture,
                      std::optional<std::uint32_t> preferredTransparent) = 0;
    // Writes a valid record as a file of the format; a record with a transparent colour
    // (masking 2) marks its pixels transparent where the format can.
    virtual bool Write(const IMAGEDATA& image, const std::string& file, PictureFormat format) = 0;
    // The bytes Write would put into the file; nothing when it cannot.
    virtual std::optional<std::vector<std::uint8_t>> Encode(const IMAGEDATA& image,
                                                            PictureFormat format) = 0;
};

struct PictureReading {
    std::uint32_t streamBufferBytes = CImageBase::kDefaultStreamBufferBytes;
    PictureCodec* fallback = nullptr;
    std::optional<std::uint32_t> preferredTransparent;
};

// Reads a picture file of the format: with the suite's own class first, then, for an IFF
// picture of 1 to 8 planes, with the few-plane reader, and last with the fallback codec when
// one is given. False when none can read it.
bool ReadPicture(const std::string& file, PictureFormat format, Picture& picture,
                 const PictureReading& reading = {});

// Makes the texture's slots from the picture (which the conversions change in place) and,
// when the picture's alpha gave it a transparent colour, turns the texture's transparency on.
bool FillSlotsFromPicture(Picture& picture, CRimArchive& texture);

// The transparent colour (0x00BBGGRR) of a texture item whose transparency is on: what
// PictureReading::preferredTransparent takes when a picture replaces that item.
std::optional<std::uint32_t> TransparentColorOf(std::span<const std::uint8_t> item);

// The whole import of a picture over an item (empty `oldItem` for a new one): the slots, the
// old item's look (KeepTextureLook), then the picture's own transparent colour, which wins
// over an opaque old item. False when a step fails.
bool TextureFromPicture(Picture& picture, std::span<const std::uint8_t> oldItem,
                        CRimArchive& texture);

// Writes the record as a file of the format: the suite's own class, or the codec for the
// formats only it knows. False without a writer for the format or when writing fails.
bool WritePicture(IMAGEDATA* image, const std::string& file, PictureFormat format,
                  PictureCodec* codec,
                  std::uint32_t streamBufferBytes = CImageBase::kDefaultStreamBufferBytes);

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

// The bytes of the picture file WritePicture would write, made without touching the disk's
// files, for callers that write many pictures and decide themselves how.
std::optional<std::vector<std::uint8_t>> EncodePicture(IMAGEDATA* image, PictureFormat format,
                                                       PictureCodec* codec);

// Decodes one slot and saves it with the given class; the slot's header (size, depth) in
// *header when given. False when the slot cannot be decoded or the file not written.
bool ExportSlotToPicture(CRimArchive& texture, unsigned slot, CImageBase& picture,
                         const std::string& file, IMAGEHEADER* header = nullptr,
                         std::uint32_t streamBufferBytes = CImageBase::kDefaultStreamBufferBytes);

// The first filled slot, the richest one; nothing when every slot is empty.
std::optional<unsigned> FirstFilledSlot(const CRimArchive& texture);
unsigned FilledSlotCount(const CRimArchive& texture);

}  // namespace suite
