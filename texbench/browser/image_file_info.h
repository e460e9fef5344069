// What the image import dialog says about the selected file: its size and colour depth, and
// the picture itself for the preview, read as Import reads it for the chosen filter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "suite/image_record.h"
#include "suite/texture_pipeline.h"

namespace texbench {

struct ImageFileInfo {
    std::string sizeLine;   // "Width: 64   Height: 32"
    std::string depthLine;  // "8 Bits Per Pixel (256 Colors)"
    suite::ImageRecord picture;
};

// The depth text for a record's bits per pixel.
const char* DepthText(unsigned bitsPerPixel);

// Reads the file by the item filter index (1: a whole texture file, its first slot; 2: IFF;
// 3 and 4: BMP; 5: TGA; 6: PNG), with the codec for what the suite's own classes refuse.
// Nothing for an empty path, another index, or a file that does not give a valid picture.
std::optional<ImageFileInfo> ExamineImageFile(const std::string& path, int filterIndex,
                                              std::uint32_t streamBufferBytes,
                                              suite::PictureCodec* codec = nullptr);

}  // namespace texbench
