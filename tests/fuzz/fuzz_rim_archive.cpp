// RIM texture items: the chunk walk into slots, each slot decoded, and the compiled item
// read back to the same slots.
#include <algorithm>
#include <vector>

#include "tests/fuzz/fuzz_image_support.h"
#include "texbench/imaging/rim_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CRimArchive archive;
    if (!archive.Parse(std::span<const std::uint8_t>(data, size))) {
        return 0;
    }
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        qmfuzz::ImageRecord slot;
        if (archive.ExportSlot(i, &slot.data)) {
            qmfuzz::RequireValid(slot.data);
        }
    }
    const std::vector<std::uint8_t> compiled = archive.Compile();
    if (compiled.empty()) {
        return 0;
    }
    // The size the program reserves before compiling must be the size it gets.
    if (compiled.size() != archive.GetCompiledSize()) {
        QMFUZZ_FAIL();
    }
    CRimArchive again;
    if (!again.Parse(compiled)) {
        QMFUZZ_FAIL();
    }
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        const auto before = archive.GetSlot(i);
        const auto after = again.GetSlot(i);
        if (!std::equal(before.begin(), before.end(), after.begin(), after.end())) {
            QMFUZZ_FAIL();
        }
    }
    if (again.GetTransparencyMode() != archive.GetTransparencyMode() ||
        again.GetTransparentColorWord() != archive.GetTransparentColorWord()) {
        QMFUZZ_FAIL();
    }
    // The container is written with its length rounded up to even, and the pad byte reads
    // back as data: the item's own format, kept for the game's sake.
    std::vector<std::uint8_t> container(archive.GetContainer().begin(),
                                        archive.GetContainer().end());
    if (container.size() % 2 != 0) {
        container.push_back(0);
    }
    const auto reread = again.GetContainer();
    if (!std::equal(container.begin(), container.end(), reread.begin(), reread.end())) {
        QMFUZZ_FAIL();
    }
    // Compiling what was read back gives the same bytes.
    if (again.Compile() != compiled) {
        QMFUZZ_FAIL();
    }
    return 0;
}
