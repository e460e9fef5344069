// Windows bitmap files: read, export, write back and read again.
#include "tests/fuzz/fuzz_image_support.h"
#include "texbench/imaging/bmp_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return qmfuzz::FuzzPictureFile<CBmpImage>(data, size);
}
