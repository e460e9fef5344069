#include "texbench/imaging/rim_image.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "texbench/imaging/byte_order.h"
#include "texbench/imaging/byterun1.h"
#include "texbench/imaging/iff_chunk.h"
#include "texbench/imaging/planar.h"

namespace {

std::uint32_t FullPaletteBytes(unsigned planes) {
    return planes <= 4 ? 48u : planes <= 8 ? 768u : 196608u;
}

// Planes a slot needs for its colours: the bit length of n - 1, when that saves planes.
unsigned ReducedPlanes(unsigned depth, std::uint32_t colorsUsed) {
    if (colorsUsed > 1) {
        const unsigned needed = static_cast<unsigned>(std::bit_width(colorsUsed - 1));
        if (needed < depth) {
            return needed;
        }
    }
    return depth;
}

}  // namespace

void CRimImage::Clear() {
    CImageBase::Clear();
    compression_ = 0;
}

bool CRimImage::Serialize(std::FILE*, bool) {
    return false;
}

std::uint32_t CRimImage::GetFormSize() const {
    if (IsEmpty()) {
        return 0;
    }
    std::uint64_t size = IffEven(pixels_.size());
    if (header_.dwColorsUsed != 0) {
        size += 56 + IffEven(std::uint64_t{3} * header_.dwColorsUsed);
    } else if (!palette_.empty()) {
        size += 56 + IffEven(palette_.size());
    } else {
        size += 48;
    }
    return size > UINT32_MAX ? 0 : static_cast<std::uint32_t>(size);
}

bool CRimImage::ParseForm(std::span<const std::uint8_t> form) {
    if (form.data() == nullptr || form.size() < 28) {
        return false;
    }
    Clear();
    if (!ParseChunks(form)) {
        Clear();
        return false;
    }
    return !IsEmpty();
}

bool CRimImage::ParseChunks(std::span<const std::uint8_t> form) {
    const std::uint64_t length = form.size();
    const std::uint8_t* base = form.data();
    unsigned masking = 0, compression = 0, planes = 0;
    bool haveHeader = false;
    std::uint64_t offset = 0;
    while (offset + 8 < length) {
        const std::uint8_t* chunk = base + offset;
        const std::uint64_t size = GetU32BE(chunk + 4);
        if (offset + 8 + size > length) {
            break;
        }
        const std::uint8_t* payload = chunk + 8;
        if ((IffTagIs(chunk, "FORM") || IffTagIs(chunk, "LIST")) && size >= 4 &&
            IffTagIs(payload, "ILBM")) {
            offset += 12;
            continue;
        }
        if (IffTagIs(chunk, "BMHD") && size >= 20) {
            header_.wWidth = GetU16BE(payload);
            header_.wHeight = GetU16BE(payload + 2);
            planes = payload[8];
            masking = payload[9];
            compression = payload[10];
            header_.dwTransparent = GetU16BE(payload + 12);
            header_.bAlign = 8;
            haveHeader = true;
        } else if (IffTagIs(chunk, "CMAP") && palette_.empty()) {
            const std::uint32_t full = FullPaletteBytes(planes);
            if (planes > 16 || size > full) {
                return false;
            }
            palette_.assign(full, 0);
            std::copy_n(payload, size, palette_.begin());
            header_.dwColorsUsed = static_cast<std::uint32_t>(size / 3);
        } else if (IffTagIs(chunk, "BODY") && pixels_.empty()) {
            pixels_.assign(payload, payload + size);
            break;
        }
        offset += 8 + IffEven(size);
    }
    if (!haveHeader || masking == 1 || planes == 0 || planes > 16 ||
        !ImgFitsLargestPicture(header_.wWidth, header_.wHeight, planes <= 8 ? 8 : 16)) {
        return false;
    }
    header_.bDepth = static_cast<std::uint8_t>(planes);
    header_.bMasking = static_cast<std::uint8_t>(masking);
    header_.bEncoding = compression != 0 ? kByteRun1 : kPlanar;
    compression_ = compression != 0 ? 1 : 0;
    // A raw body shorter than its header claims cannot be decoded; refuse it here.
    const std::uint64_t needed = std::uint64_t{PlaneRowBytes()} * planes * header_.wHeight;
    if (!pixels_.empty() && header_.bEncoding == kPlanar && pixels_.size() < needed) {
        return false;
    }
    return true;
}

bool CRimImage::Decompress() {
    // Within the largest picture, so a short body is decoded with the rest left zero.
    const std::uint64_t needed = std::uint64_t{PlaneRowBytes()} * header_.bDepth * header_.wHeight;
    if (!ImgFitsLargestPicture(header_.wWidth, header_.wHeight, header_.bDepth <= 8 ? 8 : 16)) {
        return false;
    }
    std::vector<std::uint8_t> body(needed, 0);
    ByteRun1Decode(pixels_, body);
    pixels_ = std::move(body);
    header_.bEncoding = kPlanar;
    return true;
}

bool CRimImage::Compress() {
    pixels_ = ByteRun1Encode(pixels_, PlaneRowBytes());
    header_.bEncoding = kByteRun1;
    return true;
}

bool CRimImage::Decode() {
    if (IsEmpty()) {
        return false;
    }
    if (header_.bEncoding == kDecoded) {
        return true;
    }
    if (header_.bEncoding == kByteRun1 && !Decompress()) {
        return false;
    }
    const unsigned planes = header_.bDepth;
    PlanarLayout layout;
    layout.width = header_.wWidth;
    layout.height = header_.wHeight;
    layout.planes = planes;
    layout.rowBytes = PlaneRowBytes();
    layout.pixelBytes = (planes + 7) / 8;
    layout.highByteFirst = true;
    return PlanarBodyToRows(layout);
}

bool CRimImage::Encode() {
    if (IsEmpty()) {
        return false;
    }
    if (header_.bEncoding != kDecoded) {
        return true;
    }
    const unsigned depth = header_.bDepth;
    if (depth != 4 && depth != 8 && depth != 16) {
        return false;
    }
    if (!HasDecodedRows() || !SetRowAlignment(8)) {
        return false;
    }
    PlanarLayout layout;
    layout.width = header_.wWidth;
    layout.height = header_.wHeight;
    layout.planes = ReducedPlanes(depth, header_.dwColorsUsed);
    layout.rowBytes = PlaneRowBytes();
    layout.pixelBytes = ImgBytesPerPixel(depth);
    layout.highByteFirst = true;
    if (!RowsToPlanarBody(layout, kPlanar)) {
        return false;
    }
    header_.bDepth = static_cast<std::uint8_t>(layout.planes);
    if (compression_ != 0) {
        Compress();
    }
    return true;
}

bool CRimImage::SetCompression(bool compress) {
    compression_ = compress ? 1 : 0;
    if (IsEmpty()) {
        return false;
    }
    if (header_.bEncoding == kByteRun1 && !compress) {
        return Decompress();
    }
    if (header_.bEncoding == kPlanar && compress) {
        return Compress();
    }
    return true;
}

int CRimImage::FindColor(std::uint32_t color) const {
    if (IsEmpty() || palette_.size() < 3) {
        return -1;
    }
    const int red = static_cast<int>(color & 0xFF), green = static_cast<int>((color >> 8) & 0xFF),
              blue = static_cast<int>((color >> 16) & 0xFF);
    const std::size_t entries = palette_.size() / 3;
    int best = 0, bestDistance = 1 << 30;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* e = &palette_[i * 3];
        const int distance = std::abs(e[0] - red) + std::abs(e[1] - green) + std::abs(e[2] - blue);
        if (distance == 0) {
            return static_cast<int>(i);
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

std::vector<std::uint8_t> CRimImage::BuildForm() {
    if (IsEmpty() || !Encode()) {
        return {};
    }
    const std::uint32_t formSize = GetFormSize();
    if (formSize == 0) {
        return {};
    }
    std::vector<std::uint8_t> form;
    form.reserve(formSize);
    IffWriter w(form);
    w.Tag("FORM");
    w.U32(formSize - 8);
    w.Tag("ILBM");
    w.Chunk("BMHD",
            IffBitmapHeader(header_.wWidth, header_.wHeight, header_.bDepth, header_.bMasking,
                            header_.bEncoding == kByteRun1 ? 1 : 0, header_.dwTransparent));
    if (!palette_.empty()) {
        const std::size_t bytes =
            header_.dwColorsUsed != 0
                ? std::min<std::size_t>(std::size_t{3} * header_.dwColorsUsed, palette_.size())
                : palette_.size();
        w.Chunk("CMAP", std::span(palette_).first(bytes));
    }
    w.Chunk("BODY", pixels_);
    return form;
}

bool CRimImage::ExportTo(IMAGEDATA* image) {
    if (image == nullptr) {
        return false;
    }
    ImgFree(image);
    *image = IMAGEDATA{};
    if (!Decode() || !HasDecodedRows()) {
        return false;
    }
    const unsigned depth = header_.bDepth;
    image->header = header_;
    const std::uint32_t entries = ImgPaletteEntries(depth);
    if (!CopyReversedPaletteInto(image, entries)) {
        return false;
    }
    if (!CopyPixelsInto(image)) {
        return false;
    }
    if (depth == 16) {
        for (std::size_t i = 0; i + 2 <= pixels_.size(); i += 2) {
            std::swap(image->lpPixels[i], image->lpPixels[i + 1]);
        }
    }
    if (image->header.dwColorsUsed > entries) {
        image->header.dwColorsUsed = entries;
    }
    return true;
}

bool CRimImage::ImportFrom(const IMAGEDATA* source) {
    if (source == nullptr || !ImgValidate(source)) {
        return false;
    }
    // True colour is reduced by its colour count on a copy, so the caller's record is kept.
    IMAGEDATA reduced{};
    if (source->header.bDepth > 16) {
        reduced.header = source->header;
        reduced.lpPixels = static_cast<std::uint8_t*>(std::malloc(source->dwPixelBytes));
        if (reduced.lpPixels == nullptr) {
            return false;
        }
        std::memcpy(reduced.lpPixels, source->lpPixels, source->dwPixelBytes);
        reduced.dwPixelBytes = source->dwPixelBytes;
        if (!ImgToIndexed(&reduced, 0)) {
            ImgFree(&reduced);
            return false;
        }
        source = &reduced;
    }
    Clear();
    const IMAGEHEADER h = source->header;
    const std::uint64_t stride = ImgStride(h.wWidth, h.bDepth, h.bAlign);
    const std::uint32_t bpp = ImgBytesPerPixel(h.bDepth);
    header_ = h;
    header_.bAlign = 8;
    header_.bEncoding = kDecoded;
    pixels_.resize(std::size_t{bpp} * h.wWidth * h.wHeight);
    for (unsigned y = 0; y < h.wHeight; ++y) {
        const std::uint8_t* in = source->lpPixels + y * stride;
        std::uint8_t* out = pixels_.data() + std::size_t{y} * h.wWidth * bpp;
        std::memcpy(out, in, std::size_t{bpp} * h.wWidth);
        if (bpp == 2) {
            for (unsigned x = 0; x < h.wWidth; ++x) {
                std::swap(out[2 * x], out[2 * x + 1]);
            }
        }
    }
    const std::uint32_t entries = ImgPaletteEntries(h.bDepth);
    palette_.assign(std::size_t{3} * entries, 0);
    for (std::uint32_t i = 0; i < std::min(entries, source->dwPaletteEntries); ++i) {
        palette_[i * 3 + 0] = source->lpPalette[i * 3 + 2];
        palette_[i * 3 + 1] = source->lpPalette[i * 3 + 1];
        palette_[i * 3 + 2] = source->lpPalette[i * 3 + 0];
    }
    ImgFree(&reduced);
    header_.bOrientation = 0;
    if (((h.bOrientation & kOrientationMirrored) && !Mirror()) ||
        ((h.bOrientation & kOrientationBottomUp) && !FlipVertical())) {
        Clear();
        return false;
    }
    header_.bOrientation = 0;
    return true;
}
