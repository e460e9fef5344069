// Packed DIBs, as the clipboard and drag-and-drop hand them over: read, then written again.
#include <vector>

#include "tests/fuzz/fuzz_image_support.h"
#include "texbench/imaging/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qmfuzz::ImageRecord image;
    if (!ImgFromPackedDib(std::span<const std::uint8_t>(data, size), &image.data)) {
        // A refused DIB leaves an empty record, never a half-filled one.
        if (image.data.lpPixels != nullptr || image.data.lpPalette != nullptr) {
            QMFUZZ_FAIL();
        }
        return 0;
    }
    qmfuzz::RequireValid(image.data);
    const std::vector<std::uint8_t> written = ImgToPackedDib(&image.data);
    if (written.empty()) {
        return 0;
    }
    qmfuzz::ImageRecord again;
    if (!ImgFromPackedDib(written, &again.data) ||
        again.data.header.wWidth != image.data.header.wWidth ||
        again.data.header.wHeight != image.data.header.wHeight) {
        QMFUZZ_FAIL();
    }
    return 0;
}
