#include "texbench/browser/image_file_info.h"

#include <cstdio>
#include <utility>

#include "suite/picture_formats.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/imaging/rim_archive.h"

namespace texbench {
namespace {

bool ReadPicture(const std::string& path, int filterIndex, std::uint32_t streamBufferBytes,
                 suite::PictureCodec* codec, suite::ImageRecord& image) {
    const suite::PictureFilter* filter = suite::ImageFilterByIndex(filterIndex);
    if (filter == nullptr) {
        return false;
    }
    if (filter->format == suite::PictureFormat::WholeTexture) {
        CRimArchive texture;
        return texture.LoadFile(path) && texture.ExportSlot(0, image.Get());
    }
    suite::Picture picture;
    if (!suite::ReadPicture(path, filter->format, picture, {streamBufferBytes, codec, {}})) {
        return false;
    }
    image = std::move(picture.image);
    return true;
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
                                              std::uint32_t streamBufferBytes,
                                              suite::PictureCodec* codec) {
    if (path.empty()) {
        return std::nullopt;
    }
    ImageFileInfo info;
    if (!ReadPicture(path, filterIndex, streamBufferBytes, codec, info.picture) ||
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
