// Targa files the TGA class refuses (32-bit, grey, other colour maps), read by the pipeline.
#include "tests/fuzz/fuzz_picture_fallback.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return qmfuzz::FuzzFallbackPicture(data, size, suite::PictureFormat::Tga);
}
