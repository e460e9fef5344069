// One RIM slot FORM: its chunks, the ByteRun1 body and the bit planes, exported and rebuilt.
#include <vector>

#include "tests/fuzz/fuzz_image_support.h"
#include "texbench/imaging/rim_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CRimImage image;
    if (!image.ParseForm(std::span<const std::uint8_t>(data, size))) {
        return 0;
    }
    qmfuzz::ImageRecord exported;
    if (!image.ExportTo(&exported.data)) {
        return 0;
    }
    qmfuzz::RequireValid(exported.data);

    // A decoded slot must survive a rebuild: same size and pixels after parsing the new FORM.
    CRimImage copy;
    if (!copy.ImportFrom(&exported.data)) {
        return 0;
    }
    const std::vector<std::uint8_t> form = copy.BuildForm();
    if (form.empty()) {
        return 0;
    }
    if (form.size() != copy.GetFormSize()) {
        QMFUZZ_FAIL();
    }
    CRimImage reread;
    qmfuzz::ImageRecord again;
    if (!reread.ParseForm(form) || !reread.ExportTo(&again.data)) {
        QMFUZZ_FAIL();
    }
    if (again.data.header.wWidth != exported.data.header.wWidth ||
        again.data.header.wHeight != exported.data.header.wHeight) {
        QMFUZZ_FAIL();
    }
    return 0;
}
