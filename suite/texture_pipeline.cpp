#include "suite/texture_pipeline.h"

#include <array>
#include <cstdio>
#include <filesystem>

#include "suite/few_plane_ilbm.h"
#include "suite/image_record.h"
#include "suite/other_tga.h"
#include "texbench/imaging/rim_image.h"

namespace suite {

std::string LowerExtension(std::string_view path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension;
}

std::unique_ptr<CImageBase> PictureClassFor(std::string_view path) {
    const PictureFilter* filter = ImageFilterForPath(path);
    return filter != nullptr ? PictureClassOf(filter->format) : nullptr;
}

bool IsWholeTextureFile(std::string_view path) {
    return LowerExtension(path) == ".rim";
}

bool FillSlotsFromPicture(CImageBase& picture, const std::string& file, CRimArchive& texture,
                          std::uint32_t streamBufferBytes) {
    ImageRecord image;
    return picture.LoadFile(file, streamBufferBytes) && picture.ExportTo(image.Get()) &&
           texture.FillSlots(image.Get());
}

bool ReadPicture(const std::string& file, PictureFormat format, Picture& picture,
                 const PictureReading& reading) {
    picture = Picture{};
    if (std::unique_ptr<CImageBase> reader = PictureClassOf(format)) {
        if (reader->LoadFile(file, reading.streamBufferBytes) &&
            reader->ExportTo(picture.image.Get())) {
            return true;
        }
        ImgFree(picture.image.Get());
    }
    if (format == PictureFormat::Iff && ReadFewPlaneIlbm(file, picture.image.Get())) {
        return true;
    }
    if (format == PictureFormat::Tga && ReadOtherTga(file, picture, reading.preferredTransparent)) {
        return true;
    }
    if (format == PictureFormat::WholeTexture || reading.fallback == nullptr) {
        return false;
    }
    if (!reading.fallback->Read(file, format, picture, reading.preferredTransparent)) {
        picture = Picture{};
        return false;
    }
    return true;
}

bool FillSlotsFromPicture(Picture& picture, CRimArchive& texture) {
    if (!texture.FillSlots(picture.image.Get())) {
        return false;
    }
    return !picture.transparentColor || texture.SetTransparency(true, *picture.transparentColor);
}

std::optional<std::uint32_t> TransparentColorOf(std::span<const std::uint8_t> item) {
    CRimArchive texture;
    if (!texture.Parse(item) || texture.GetTransparencyMode() == 0) {
        return std::nullopt;
    }
    return texture.GetTransparentColorWord() >> 8;
}

bool TextureFromPicture(Picture& picture, std::span<const std::uint8_t> oldItem,
                        CRimArchive& texture) {
    return texture.FillSlots(picture.image.Get()) && KeepTextureLook(oldItem, texture) &&
           (!picture.transparentColor || texture.SetTransparency(true, *picture.transparentColor));
}

bool WritePicture(IMAGEDATA* image, const std::string& file, PictureFormat format,
                  PictureCodec* codec, std::uint32_t streamBufferBytes) {
    if (std::unique_ptr<CImageBase> writer = PictureClassOf(format)) {
        return writer->ImportFrom(image) && writer->SaveFile(file, streamBufferBytes);
    }
    return format != PictureFormat::WholeTexture && codec != nullptr && ImgValidate(image) &&
           codec->Write(*image, file, format);
}

std::optional<std::vector<std::uint8_t>> EncodePicture(IMAGEDATA* image, PictureFormat format,
                                                       PictureCodec* codec) {
    std::unique_ptr<CImageBase> writer = PictureClassOf(format);
    if (writer == nullptr) {
        if (format == PictureFormat::WholeTexture || codec == nullptr || !ImgValidate(image)) {
            return std::nullopt;
        }
        return codec->Encode(*image, format);
    }
    if (!writer->ImportFrom(image) || !writer->Encode()) {
        return std::nullopt;
    }
    // An unnamed scratch file: the classes write to streams, and no file of the user's is
    // touched or synced.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> scratch(std::tmpfile(), std::fclose);
    if (scratch == nullptr || !writer->Serialize(scratch.get(), true) ||
        std::fflush(scratch.get()) != 0) {
        return std::nullopt;
    }
    const long size = std::ftell(scratch.get());
    std::vector<std::uint8_t> bytes(size > 0 ? static_cast<std::size_t>(size) : 0);
    std::rewind(scratch.get());
    if (size <= 0 || std::fread(bytes.data(), 1, bytes.size(), scratch.get()) != bytes.size()) {
        return std::nullopt;
    }
    return bytes;
}

bool CompressSlots(CRimArchive& texture, unsigned* failedSlot) {
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        if (texture.IsSlotEmpty(i)) {
            continue;
        }
        CRimImage slotImage;
        if (!(slotImage.ParseForm(texture.GetSlot(i)) && slotImage.SetCompression(true) &&
              texture.SetSlotImage(slotImage, i))) {
            if (failedSlot != nullptr) {
                *failedSlot = i;
            }
            return false;
        }
    }
    return true;
}

namespace {

bool SetSlotCompression(CRimArchive& texture, unsigned slot, bool compress) {
    CRimImage slotImage;
    return slotImage.ParseForm(texture.GetSlot(slot)) && slotImage.SetCompression(compress) &&
           texture.SetSlotImage(slotImage, slot);
}

// Whether each of the texture's slots is compressed; an empty or unreadable slot counts as not.
std::array<bool, CRimArchive::kSlots> SlotCompression(const CRimArchive& texture) {
    std::array<bool, CRimArchive::kSlots> compressed{};
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        CRimImage slotImage;
        compressed[i] = !texture.IsSlotEmpty(i) && slotImage.ParseForm(texture.GetSlot(i)) &&
                        slotImage.GetCompression();
    }
    return compressed;
}

}  // namespace

bool KeepTextureLook(std::span<const std::uint8_t> oldItem, CRimArchive& fresh) {
    CRimArchive old;
    if (!old.Parse(oldItem)) {
        return true;
    }
    const std::array<bool, CRimArchive::kSlots> compressed = SlotCompression(old);
    const std::optional<unsigned> firstOld = FirstFilledSlot(old);
    bool ok = true;
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        if (fresh.IsSlotEmpty(i)) {
            continue;
        }
        const bool compress =
            old.IsSlotEmpty(i) ? firstOld && compressed[*firstOld] : compressed[i];
        if (compress) {
            ok = SetSlotCompression(fresh, i, true) && ok;
        }
    }
    // Set last: it rewrites each slot's header, which the compression above would rebuild.
    const bool transparent = old.GetTransparencyMode() != 0;
    return fresh.SetTransparency(transparent, old.GetTransparentColorWord() >> 8) && ok;
}

bool ExportSlotToPicture(CRimArchive& texture, unsigned slot, CImageBase& picture,
                         const std::string& file, IMAGEHEADER* header,
                         std::uint32_t streamBufferBytes) {
    ImageRecord image;
    const bool ok = texture.ExportSlot(slot, image.Get()) && picture.ImportFrom(image.Get()) &&
                    picture.SaveFile(file, streamBufferBytes);
    if (header != nullptr) {
        *header = image.Get()->header;
    }
    return ok;
}

std::optional<unsigned> FirstFilledSlot(const CRimArchive& texture) {
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        if (!texture.IsSlotEmpty(i)) {
            return i;
        }
    }
    return std::nullopt;
}

unsigned FilledSlotCount(const CRimArchive& texture) {
    unsigned count = 0;
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        count += texture.IsSlotEmpty(i) ? 0 : 1;
    }
    return count;
}

}  // namespace suite
