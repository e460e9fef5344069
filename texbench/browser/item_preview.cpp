#include "texbench/browser/item_preview.h"

#include <cstdint>
#include <cstdio>
#include <span>

#include "suite/item_kind.h"
#include "suite/sound_description.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/imaging/rim_archive.h"

namespace texbench {
namespace {

std::string DescribeImage(const CRimImage& image, const CRimArchive& archive) {
    char text[96];
    std::snprintf(text, sizeof(text), kImageInfoFormat, static_cast<int>(image.GetWidth()),
                  static_cast<int>(image.GetHeight()), static_cast<int>(image.GetDepth()));
    std::string line = text;
    if (archive.GetTransparencyMode() == CRimArchive::kTransparencyOn) {
        line += kTransparentSuffix;
    }
    return line;
}

void PreviewTexture(const FFLITEM& item, int fixBpp, ItemPreview& preview) {
    CRimArchive archive;
    const bool parsed = archive.Parse(std::span<const std::uint8_t>(item.lpData, item.dwSize));
    CRimImage image;
    // Without a first slot there is nothing to describe: "0 * 0 pixel" would only mislead.
    if (!parsed || !archive.GetSlotImage(0, image)) {
        return;
    }
    if (fixBpp < 1) {
        preview.infoLine = DescribeImage(image, archive);
    }
    suite::ImageRecord picture;
    if (!image.ExportTo(picture.Get())) {
        return;
    }
    if (fixBpp > 0) {
        preview.infoLine = DescribeImage(image, archive);
    }
    preview.picture = std::move(picture);
}

}  // namespace

ItemPreview PreviewItem(const FFLITEM* item, int fixBpp) {
    ItemPreview preview;
    preview.infoLine = kNoSelection;
    if (item == nullptr || item->lpData == nullptr) {
        return preview;
    }
    switch (suite::KindOfItem(item)) {
        case suite::ItemKind::Image:
            PreviewTexture(*item, fixBpp, preview);
            break;
        case suite::ItemKind::Sound:
            if (suite::HasSoundFormatHeader(item->lpData, item->dwSize)) {
                preview.infoLine = suite::DescribeSoundItem(item->lpData, item->dwSize);
            }
            break;
        case suite::ItemKind::Other:
            break;
    }
    return preview;
}

}  // namespace texbench
