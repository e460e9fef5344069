#include "texbench/browser/image_file_info.h"

#include <cstdio>
#include <memory>

#include "texbench/browser/browser_texts.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/rim_archive.h"
#include "texbench/imaging/tga_image.h"

namespace texbench {
namespace {

std::unique_ptr<CImageBase> PictureClassFor(int filterIndex) {
    switch (filterIndex) {
        case 2:
            return std::make_unique<CIffImage>();
        case 3:
        case 4:
            return std::make_unique<CBmpImage>();
        case 5:
            return std::make_unique<CTgaImage>();
        default:
            return nullptr;
    }
}

bool ReadPicture(const std::string& path, int filterIndex, std::uint32_t streamBufferBytes,
                 IMAGEDATA* image) {
    if (filterIndex == 1) {
        CRimArchive texture;
        return texture.LoadFile(path) && texture.ExportSlot(0, image);
    }
    std::unique_ptr<CImageBase> picture = PictureClassFor(filterIndex);
    return picture != nullptr && picture->LoadFile(path, streamBufferBytes) &&
           picture->ExportTo(image);
}

}  // namespace

const char* DepthText(unsigned bitsPerPixel) {
    if (bitsPerPixel <= 1) {
        return "1 Bit Per Pixel (2 Colors)";  // STRING 28
    }
    if (bitsPerPixel <= 4) {
        return "4 Bits Per Pixel (16 Colors)";  // STRING 29
    }
    if (bitsPerPixel <= 8) {
        return "8 Bits Per Pixel (256 Colors)";  // STRING 30
    }
    if (bitsPerPixel <= 16) {
        return "16 Bits Per Pixel (65536 Colors)";  // STRING 31
    }
    return "24 Bits Per Pixel (16 Million Colors)";  // STRING 32
}

std::optional<ImageFileInfo> ExamineImageFile(const std::string& path, int filterIndex,
                                              std::uint32_t streamBufferBytes) {
    if (path.empty()) {
        return std::nullopt;
    }
    ImageFileInfo info;
    if (!ReadPicture(path, filterIndex, streamBufferBytes, info.picture.Get()) ||
        !ImgValidate(info.picture.Get())) {
        return std::nullopt;
    }
    const IMAGEHEADER& header = info.picture.Get()->header;
    char line[64];
    std::snprintf(line, sizeof line, kImageSizeFormat, static_cast<int>(header.wWidth),
                  static_cast<int>(header.wHeight));
    info.sizeLine = line;
    info.depthLine = DepthText(header.bDepth);
    return info;
}

}  // namespace texbench
