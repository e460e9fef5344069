// IFF pictures of 1 to 8 planes, which the IFF class refuses, read by the pipeline.
#include "tests/fuzz/fuzz_picture_fallback.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return qmfuzz::FuzzFallbackPicture(data, size, suite::PictureFormat::Iff);
}
