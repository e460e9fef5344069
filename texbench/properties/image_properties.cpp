#include "texbench/properties/image_properties.h"

#include <cstdio>
#include <memory>

#include "platform/message_box.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/tga_image.h"
#include "texbench/properties/properties_texts.h"

namespace texbench {
namespace {

void Tell(const std::string& text) {
    qm::ShowMessageBox(text, kProductName, qm::MessageBoxButtons::Ok,
                       qm::MessageBoxIcon::Information);
}

std::unique_ptr<CImageBase> PictureClassFor(SlotFileType type) {
    switch (type) {
        case SlotFileType::Iff:
            return std::make_unique<CIffImage>();
        case SlotFileType::Bmp:
        case SlotFileType::Dib:
            return std::make_unique<CBmpImage>();
        case SlotFileType::Tga:
            return std::make_unique<CTgaImage>();
    }
    return nullptr;
}

const char* ExtensionOf(SlotFileType type) {
    switch (type) {
        case SlotFileType::Iff:
            return ".iff";
        case SlotFileType::Bmp:
            return ".bmp";
        case SlotFileType::Dib:
            return ".dib";
        case SlotFileType::Tga:
            return ".tga";
    }
    return "";
}

std::string DepthLabel(const CRimImage& image) {
    char text[64];
    std::snprintf(text, sizeof(text), kSlotDepthFormat, static_cast<int>(image.GetPlanes()),
                  static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight()));
    return text;
}

}  // namespace

std::string SlotSizeLabel(std::uint32_t bytes) {
    char text[48];
    std::snprintf(text, sizeof(text), kSlotSizeFormat, static_cast<int>(bytes / 1000),
                  static_cast<unsigned>((bytes % 1000) / 100));
    return text;
}

std::string ColorLabel(std::uint32_t color) {
    char text[48];
    std::snprintf(text, sizeof(text), kColorFormat, static_cast<unsigned>(color & 0xFF),
                  static_cast<unsigned>((color >> 8) & 0xFF),
                  static_cast<unsigned>((color >> 16) & 0xFF));
    return text;
}

ImageProperties::ImageProperties(std::string name, std::span<const std::uint8_t> bytes)
    : name_(std::move(name)) {
    if (!bytes.empty()) {
        archive_.Parse(bytes);
    }
    transparent_ = archive_.GetTransparencyMode() == CRimArchive::kTransparencyOn;
    committed_ = displayed_ = archive_.GetTransparentColorWord() >> 8;
    Refresh();
}

std::string ImageProperties::Caption(const std::string& caption) const {
    return name_.empty() ? caption : caption + " [" + name_ + "]";
}

bool ImageProperties::HasSlots() const {
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        if (!archive_.IsSlotEmpty(i)) {
            return true;
        }
    }
    return false;
}

void ImageProperties::Refresh() {
    for (SlotView& view : views_) {
        view = SlotView{};
    }
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        CRimImage image;
        if (!archive_.GetSlotImage(i, image)) {
            continue;
        }
        SlotView& view = views_[i];
        // Taken before the body is decoded: the label names the planes as stored and the
        // size is the slot's as it is in the item.
        view.filled = true;
        view.depthLabel = DepthLabel(image);
        view.sizeLabel = SlotSizeLabel(image.GetFileSize());
        view.compressed = image.GetEncoding() == CRimImage::kByteRun1;
        if (!image.ExportTo(view.picture.Get())) {
            view.picture = suite::ImageRecord();
        }
    }
}

bool ImageProperties::SetCompression(unsigned slot, bool compress) {
    CRimImage image;
    if (!archive_.GetSlotImage(slot, image)) {
        return false;
    }
    if (!image.SetCompression(compress) || !archive_.SetSlotImage(image, slot)) {
        Tell(kCompressionFailed);
        return false;
    }
    SlotView& view = views_[slot];
    view.compressed = compress;
    view.sizeLabel = SlotSizeLabel(static_cast<std::uint32_t>(archive_.GetSlot(slot).size()));
    modified_ = true;
    return true;
}

std::vector<std::uint8_t> ImageProperties::CopySlot(unsigned slot) const {
    CRimImage image;
    if (!archive_.GetSlotImage(slot, image)) {
        return {};
    }
    return image.ToPackedDib();
}

SlotOutcome ImageProperties::ReplaceSlot(unsigned slot, const IMAGEDATA* picture,
                                         const char* failureMessage) {
    CRimImage image;
    // A failed rebuild leaves the slot empty, so the old form is put back: a paste that did
    // not work must not cost the user the slot that was there.
    const std::vector<std::uint8_t> old(archive_.GetSlot(slot).begin(),
                                        archive_.GetSlot(slot).end());
    if (slot < CRimArchive::kSlots && picture != nullptr && image.ImportFrom(picture) &&
        archive_.SetSlotImage(image, slot)) {
        modified_ = true;
        return SlotOutcome::Changed;
    }
    if (slot < CRimArchive::kSlots && archive_.IsSlotEmpty(slot) && !old.empty()) {
        CRimImage previous;
        if (previous.ParseForm(old)) {
            archive_.SetSlotImage(previous, slot);
        }
    }
    Tell(failureMessage);
    return SlotOutcome::Unchanged;
}

SlotOutcome ImageProperties::DeleteSlot(unsigned slot) {
    archive_.ClearSlot(slot);
    modified_ = true;
    return SlotOutcome::Changed;
}

SlotOutcome ImageProperties::FlipSlot(unsigned slot) {
    CRimImage image;
    if (archive_.GetSlotImage(slot, image) && image.FlipVertical() &&
        archive_.SetSlotImage(image, slot)) {
        modified_ = true;
        return SlotOutcome::Changed;
    }
    return SlotOutcome::Unchanged;
}

SlotOutcome ImageProperties::MirrorSlot(unsigned slot) {
    CRimImage image;
    if (archive_.GetSlotImage(slot, image) && image.Mirror() &&
        archive_.SetSlotImage(image, slot)) {
        modified_ = true;
        return SlotOutcome::Changed;
    }
    return SlotOutcome::Unchanged;
}

SlotOutcome ImageProperties::CountSlotColors(unsigned slot) const {
    CRimImage image;
    if (!archive_.GetSlotImage(slot, image)) {
        return SlotOutcome::Beep;
    }
    char text[96];
    std::snprintf(text, sizeof(text), kColorsUsedFormat,
                  static_cast<unsigned long>(image.CountColors()));
    Tell(text);
    return SlotOutcome::Unchanged;
}

suite::ImageRecord ImageProperties::SlotPicture(unsigned slot) const {
    suite::ImageRecord record;
    CRimImage image;
    if (!archive_.GetSlotImage(slot, image) || !image.ExportTo(record.Get())) {
        return suite::ImageRecord();
    }
    return record;
}

bool ImageProperties::WritePicture(const IMAGEDATA* picture, SlotFileType type,
                                   const std::string& path, std::uint32_t streamBufferBytes) const {
    std::unique_ptr<CImageBase> writer = PictureClassFor(type);
    if (writer == nullptr || !writer->ImportFrom(picture) ||
        !writer->SaveFile(path, streamBufferBytes)) {
        Tell(kSlotExportFailed);
        return false;
    }
    return true;
}

SlotOutcome ImageProperties::ImportSlot(unsigned slot, SlotFileType type, const std::string& path,
                                        std::uint32_t streamBufferBytes) {
    std::unique_ptr<CImageBase> reader = PictureClassFor(type);
    suite::ImageRecord record;
    if (reader == nullptr || !reader->LoadFile(path, streamBufferBytes) ||
        !reader->ExportTo(record.Get())) {
        Tell(kSlotImportFailed);
        return SlotOutcome::Unchanged;
    }
    return ReplaceSlot(slot, record.Get(), kSlotImportFailed);
}

bool ImageProperties::TransparencyChanged() const {
    const bool stored = archive_.GetTransparencyMode() == CRimArchive::kTransparencyOn;
    return transparent_ != stored || committed_ != (archive_.GetTransparentColorWord() >> 8);
}

bool ImageProperties::Accept() {
    if (HasSlots() && TransparencyChanged()) {
        if (archive_.SetTransparency(transparent_, committed_)) {
            return true;
        }
        Tell(kTransparencyFailed);
        return false;
    }
    // With every slot deleted this is still OK: the write-back then refuses to store an item
    // without pictures and says so.
    return modified_;
}

int SlotDialogIndex(int itemDialogType) {
    return itemDialogType - 1 < 1 ? 1 : itemDialogType - 1;
}

void RememberSlotExport(CIniDocument& settings, int slotIndex, const std::string& path) {
    settings.SetInt(kExportType.section, kExportType.key, slotIndex + 1);
    const std::size_t slash = path.find_last_of("\\/");
    const std::string directory =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    settings.SetString(kExportPath.section, kExportPath.key, directory.c_str());
}

void RememberSlotImport(CIniDocument& settings, int slotIndex) {
    settings.SetInt(kImportType.section, kImportType.key, slotIndex + 1);
}

std::string WithSlotExtension(const std::string& path, SlotFileType type) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot > nameStart) {
        return path;
    }
    return path + ExtensionOf(type);
}

}  // namespace texbench
