// IFF ILBM picture files: read, export, write back and read again.
#include "tests/fuzz/fuzz_image_support.h"
#include "texbench/imaging/iff_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return qmfuzz::FuzzPictureFile<CIffImage>(data, size);
}
