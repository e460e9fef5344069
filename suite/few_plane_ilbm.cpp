#include "suite/few_plane_ilbm.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <span>
#include <vector>

#include "texbench/imaging/byterun1.h"
#include "texbench/imaging/iff_chunk.h"
#include "texbench/imaging/planar.h"

namespace suite {
namespace {

// Far more than the largest picture's body with its chunks; larger files are no such picture.
constexpr std::uint64_t kLargestFile = std::uint64_t{300} << 20;

struct Ilbm {
    unsigned width = 0, height = 0, planes = 0, masking = 0, compression = 0, transparent = 0;
    std::span<const std::uint8_t> colorMap, body;
    bool hasHeader = false, displayModesOk = true;
};

bool ReadWholeFile(const std::string& file, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 12 || static_cast<std::uint64_t>(size) > kLargestFile) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

// Walks the chunks of FORM ILBM; false when the file is no ILBM or a chunk does not fit.
bool Parse(std::span<const std::uint8_t> file, Ilbm& ilbm) {
    if (!IffTagIs(file.data(), "FORM") || !IffTagIs(file.data() + 8, "ILBM")) {
        return false;
    }
    const std::uint64_t end =
        std::min<std::uint64_t>(file.size(), 8 + std::uint64_t{GetU32BE(file.data() + 4)});
    std::uint64_t at = 12;
    while (at + 8 <= end && ilbm.body.empty()) {
        const std::uint8_t* head = file.data() + at;
        const std::uint32_t size = GetU32BE(head + 4);
        if (at + 8 + size > end) {
            return false;
        }
        const std::span<const std::uint8_t> payload = file.subspan(at + 8, size);
        if (IffTagIs(head, "BMHD") && size >= 20) {
            ilbm.width = GetU16BE(payload.data());
            ilbm.height = GetU16BE(payload.data() + 2);
            ilbm.planes = payload[8];
            ilbm.masking = payload[9];
            ilbm.compression = payload[10];
            ilbm.transparent = GetU16BE(payload.data() + 12);
            ilbm.hasHeader = true;
        } else if (IffTagIs(head, "CAMG") && size >= 4) {
            constexpr std::uint32_t kHoldAndModify = 0x800, kExtraHalfBright = 0x80;
            ilbm.displayModesOk =
                (GetU32BE(payload.data()) & (kHoldAndModify | kExtraHalfBright)) == 0;
        } else if (IffTagIs(head, "CMAP") && ilbm.colorMap.empty()) {
            ilbm.colorMap = payload;
        } else if (IffTagIs(head, "BODY")) {
            ilbm.body = payload;
        }
        at += 8 + IffEven(size);
    }
    return ilbm.hasHeader && ilbm.displayModesOk && !ilbm.body.empty() && !ilbm.colorMap.empty();
}

bool Fill(const Ilbm& ilbm, IMAGEDATA* image) {
    PlanarLayout layout;
    layout.width = ilbm.width;
    layout.height = ilbm.height;
    layout.planes = ilbm.planes;
    layout.rowBytes = ((ilbm.width + 15) / 16) * 2;
    layout.pixelBytes = 1;
    layout.highByteFirst = true;
    std::vector<std::uint8_t> unpacked;
    std::span<const std::uint8_t> body = ilbm.body;
    if (ilbm.compression != 0) {
        // A packed body that ends early decodes as zeros, as the IFF class does.
        unpacked.assign(layout.BodyBytes(), 0);
        ByteRun1Decode(ilbm.body, unpacked);
        body = unpacked;
    }
    std::vector<std::uint8_t> chunky;
    if (!PlanarToChunky(body, layout, chunky)) {
        return false;
    }
    const unsigned depth = ilbm.planes <= 4 ? 4 : 8;
    const std::uint32_t entries = ImgPaletteEntries(depth);
    const std::uint64_t stride = ImgStride(ilbm.width, depth, 32);
    image->lpPalette = static_cast<std::uint8_t*>(std::calloc(entries, 3));
    image->lpPixels = static_cast<std::uint8_t*>(std::calloc(stride * ilbm.height, 1));
    if (image->lpPalette == nullptr || image->lpPixels == nullptr) {
        return false;
    }
    const std::uint32_t mapped = std::min<std::uint32_t>(
        static_cast<std::uint32_t>(ilbm.colorMap.size() / 3), std::min(entries, 1u << ilbm.planes));
    for (std::uint32_t i = 0; i < mapped; ++i) {
        image->lpPalette[i * 3 + 0] = ilbm.colorMap[i * 3 + 2];
        image->lpPalette[i * 3 + 1] = ilbm.colorMap[i * 3 + 1];
        image->lpPalette[i * 3 + 2] = ilbm.colorMap[i * 3 + 0];
    }
    for (unsigned y = 0; y < ilbm.height; ++y) {
        std::memcpy(image->lpPixels + y * stride, chunky.data() + std::size_t{y} * ilbm.width,
                    ilbm.width);
    }
    image->header.wWidth = static_cast<std::uint16_t>(ilbm.width);
    image->header.wHeight = static_cast<std::uint16_t>(ilbm.height);
    image->header.bDepth = static_cast<std::uint8_t>(depth);
    image->header.bAlign = 32;
    if (ilbm.masking == kMaskingTransparentColor && ilbm.transparent < (1u << ilbm.planes)) {
        image->header.bMasking = kMaskingTransparentColor;
        image->header.dwTransparent = ilbm.transparent;
    }
    image->dwPaletteEntries = entries;
    image->dwPixelBytes = static_cast<std::uint32_t>(stride * ilbm.height);
    return ImgValidate(image);
}

}  // namespace

bool ReadFewPlaneIlbm(const std::string& file, IMAGEDATA* image) {
    if (image == nullptr) {
        return false;
    }
    ImgFree(image);
    std::vector<std::uint8_t> bytes;
    Ilbm ilbm;
    if (!ReadWholeFile(file, bytes) || !Parse(bytes, ilbm) || ilbm.planes < 1 || ilbm.planes > 8 ||
        ilbm.masking == 1 || ilbm.width == 0 || ilbm.height == 0 ||
        !ImgFitsLargestPicture(ilbm.width, ilbm.height, 8)) {
        return false;
    }
    if (!Fill(ilbm, image)) {
        ImgFree(image);
        return false;
    }
    return true;
}

}  // namespace suite
