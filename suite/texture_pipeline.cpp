#include "suite/texture_pipeline.h"

#include <array>
#include <filesystem>

#include "suite/image_record.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/rim_image.h"
#include "texbench/imaging/tga_image.h"

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
    const std::string extension = LowerExtension(path);
    if (extension == ".iff" || extension == ".ilbm" || extension == ".lbm") {
        return std::make_unique<CIffImage>();
    }
    if (extension == ".bmp" || extension == ".dib") {
        return std::make_unique<CBmpImage>();
    }
    if (extension == ".tga") {
        return std::make_unique<CTgaImage>();
    }
    return nullptr;
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
