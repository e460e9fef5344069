// The shared body of the targets of the pipeline's own fallback readers, which read files by
// name: the input goes into one scratch file of this process, is read through the pipeline,
// and a picture it accepts must be a record the rest of the suite can walk and a texture.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "suite/texture_pipeline.h"
#include "tests/fuzz/fuzz_image_support.h"

namespace qmfuzz {

inline constexpr std::uint64_t kMaxQuantizedPixels = 1u << 20;

inline int FuzzFallbackPicture(const std::uint8_t* data, std::size_t size,
                               suite::PictureFormat format) {
    static const std::string scratch = "/tmp/qmfuzz-picture-" + std::to_string(getpid());
    {
        FilePtr file(std::fopen(scratch.c_str(), "wb"));
        if (file == nullptr || (size != 0 && std::fwrite(data, 1, size, file.get()) != size)) {
            return 0;
        }
    }
    suite::Picture picture;
    if (suite::ReadPicture(scratch, format, picture)) {
        RequireValid(*picture.image.Get());
        CRimArchive texture;
        // Filling the slots quantizes every pixel three times, which under the sanitizers costs
        // a second and a half for each million pixels: a short run-length body may claim a
        // picture of tens of millions, all black, which would only measure the machine.
        const IMAGEDATA& image = *picture.image.Get();
        if (std::uint64_t{image.header.wWidth} * image.header.wHeight <= kMaxQuantizedPixels) {
            suite::FillSlotsFromPicture(picture, texture);
        }
    }
    return 0;
}

}  // namespace qmfuzz
