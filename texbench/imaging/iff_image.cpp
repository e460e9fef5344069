#include "texbench/imaging/iff_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "texbench/imaging/byte_order.h"
#include "texbench/imaging/byterun1.h"
#include "texbench/imaging/iff_chunk.h"
#include "texbench/imaging/planar.h"

namespace {

// Plane-rows of ILBM files are padded to 16 bits.
unsigned IlbmRowBytes(unsigned width) {
    return ((width + 15) / 16) * 2;
}

std::uint32_t FullPaletteBytes(unsigned planes) {
    return planes <= 4 ? 48u : planes <= 8 ? 768u : 196608u;
}

bool Skip(std::FILE* stream, std::uint64_t bytes) {
    // Refused when it would pass the end: a skip past the end is a truncated file.
    const long long remaining = RemainingBytes(stream);
    if (remaining < 0 || bytes > static_cast<std::uint64_t>(remaining)) {
        return false;
    }
    return bytes == 0 || std::fseek(stream, static_cast<long>(bytes), SEEK_CUR) == 0;
}

bool SkipPad(std::FILE* stream, std::uint32_t size) {
    // A missing pad byte at the very end of a file is harmless.
    if ((size & 1) == 0) {
        return true;
    }
    const long long remaining = RemainingBytes(stream);
    return remaining == 0 || Skip(stream, 1);
}

}  // namespace

bool CIffImage::Serialize(std::FILE* stream, bool storing) {
    if (stream == nullptr) {
        return false;
    }
    return storing ? Write(stream) : Read(stream);
}

bool CIffImage::ReadBitmapHeader(std::FILE* stream, std::uint32_t size, unsigned& planes) {
    std::uint8_t bmhd[20];
    if (size < 20 || std::fread(bmhd, 1, sizeof bmhd, stream) != sizeof bmhd) {
        return false;
    }
    const unsigned width = GetU16BE(bmhd), height = GetU16BE(bmhd + 2);
    planes = bmhd[8];
    const unsigned masking = bmhd[9];
    if (masking == 1 || width == 0 || height == 0 ||
        (planes != 4 && planes != 8 && planes != 16 && planes != 24) ||
        !ImgFitsLargestPicture(width, height, planes)) {
        return false;
    }
    header_.wWidth = static_cast<std::uint16_t>(width);
    header_.wHeight = static_cast<std::uint16_t>(height);
    header_.bMasking = static_cast<std::uint8_t>(masking);
    header_.bEncoding = bmhd[10] == 0 ? kPlanar : kByteRun1;
    header_.dwTransparent = GetU16BE(bmhd + 12);
    header_.bAlign = 8;
    // Writers that add fields after the first 20 bytes still end the chunk where its size
    // says; the next chunk header starts there, not directly after the fields we know.
    return Skip(stream, size - 20) && SkipPad(stream, size);
}

bool CIffImage::ReadDisplayModes(std::FILE* stream, std::uint32_t size) {
    // Hold-and-modify and extra-half-bright pixels are not palette indices: decoded as such they
    // give plainly wrong colours, so such pictures are refused.
    constexpr std::uint32_t kHoldAndModify = 0x800, kExtraHalfBright = 0x80;
    std::uint8_t modes[4];
    if (size < sizeof modes) {
        return Skip(stream, IffEven(size));  // too short to carry the flags
    }
    if (std::fread(modes, 1, sizeof modes, stream) != sizeof modes ||
        (GetU32BE(modes) & (kHoldAndModify | kExtraHalfBright)) != 0) {
        return false;
    }
    return Skip(stream, size - 4) && SkipPad(stream, size);
}

bool CIffImage::ReadColorMap(std::FILE* stream, std::uint32_t size, unsigned planes) {
    if (planes > 16) {
        return false;
    }
    const std::uint32_t expected = FullPaletteBytes(planes);
    const std::uint32_t taken = std::min(size, expected);
    const long long remaining = RemainingBytes(stream);
    if (remaining < 0 || size > static_cast<std::uint64_t>(remaining)) {
        return false;
    }
    palette_.assign(expected, 0);
    if (std::fread(palette_.data(), 1, taken, stream) != taken) {
        return false;
    }
    // The CMAP length is no count of the colours in use: writers store short maps while the
    // body still uses every plane, and a count taken from it would make later slots drop planes.
    return Skip(stream, size - taken) && SkipPad(stream, size);
}

bool CIffImage::ReadBody(std::FILE* stream, std::uint32_t size, unsigned planes) {
    // A raw body must hold the whole picture; a packed one may end early (the rest decodes
    // as zeros), since the header's size is already within the largest picture.
    const std::uint64_t needed =
        std::uint64_t{IlbmRowBytes(header_.wWidth)} * planes * header_.wHeight;
    const long long remaining = RemainingBytes(stream);
    if (planes == 0 || remaining < 0 || size > static_cast<std::uint64_t>(remaining) ||
        (header_.bEncoding == kPlanar && size < needed)) {
        return false;
    }
    pixels_.resize(size);
    if (std::fread(pixels_.data(), 1, size, stream) != size) {
        return false;
    }
    planes_ = planes;
    header_.bDepth = static_cast<std::uint8_t>(planes);  // decoded depth equals the planes read
    return SkipPad(stream, size);
}

bool CIffImage::Read(std::FILE* stream) {
    if (!pixels_.empty()) {
        return header_.bDepth > 16 || !palette_.empty();
    }
    Clear();
    unsigned planes = 0;
    for (;;) {
        std::uint8_t head[8];
        if (std::fread(head, 1, sizeof head, stream) != sizeof head) {
            return false;
        }
        const std::uint32_t size = GetU32BE(head + 4);
        // A chunk that claims more than the file holds is refused before anything is read.
        const long long remaining = RemainingBytes(stream);
        if (remaining < 0 || size > static_cast<std::uint64_t>(remaining)) {
            return false;
        }
        bool ok = true;
        if (IffTagIs(head, "FORM") || IffTagIs(head, "LIST")) {
            std::uint8_t type[4];
            ok = size >= 4 && std::fread(type, 1, 4, stream) == 4;
            if (ok && !IffTagIs(type, "ILBM")) {
                ok = Skip(stream, IffEven(size - 4));
            }
        } else if (IffTagIs(head, "BMHD")) {
            // A second header after the colour map must keep the plane count the palette was
            // sized for; otherwise the palette no longer fits the picture.
            ok =
                ReadBitmapHeader(stream, size, planes) &&
                (palette_.empty() || (planes <= 16 && FullPaletteBytes(planes) == palette_.size()));
        } else if (IffTagIs(head, "CAMG")) {
            ok = ReadDisplayModes(stream, size);
        } else if (IffTagIs(head, "CMAP") && palette_.empty()) {
            ok = ReadColorMap(stream, size, planes);
        } else if (IffTagIs(head, "BODY") && pixels_.empty()) {
            ok = ReadBody(stream, size, planes);
        } else {
            ok = Skip(stream, IffEven(size));
        }
        if (!ok || std::ferror(stream)) {
            return false;
        }
        if (!pixels_.empty()) {
            return header_.bDepth > 16 || !palette_.empty();
        }
    }
}

bool CIffImage::Decode() {
    if (IsEmpty()) {
        return false;
    }
    if (header_.bEncoding == kDecoded) {
        return true;
    }
    const unsigned planes = planes_ != 0 ? planes_ : header_.bDepth;
    PlanarLayout layout;
    layout.width = header_.wWidth;
    layout.height = header_.wHeight;
    layout.planes = planes;
    layout.rowBytes = IlbmRowBytes(header_.wWidth);
    layout.pixelBytes = (planes + 7) / 8;
    layout.highByteFirst = planes <= 16;
    if (header_.bEncoding == kByteRun1) {
        if (!ImgFitsLargestPicture(header_.wWidth, header_.wHeight, planes)) {
            return false;
        }
        std::vector<std::uint8_t> body(layout.BodyBytes(), 0);
        ByteRun1Decode(pixels_, body);
        pixels_ = std::move(body);
        header_.bEncoding = kPlanar;
    }
    if (!PlanarBodyToRows(layout)) {
        return false;
    }
    planes_ = 0;
    return true;
}

bool CIffImage::Encode() {
    if (IsEmpty()) {
        return false;
    }
    if (header_.bEncoding != kDecoded) {
        return true;
    }
    if (!HasDecodedRows() || !SetRowAlignment(8)) {
        return false;
    }
    PlanarLayout layout;
    layout.width = header_.wWidth;
    layout.height = header_.wHeight;
    layout.planes = header_.bDepth;
    layout.rowBytes = IlbmRowBytes(header_.wWidth);
    layout.pixelBytes = ImgBytesPerPixel(header_.bDepth);
    layout.highByteFirst = header_.bDepth <= 16;
    if (!RowsToPlanarBody(layout, kPlanar)) {
        return false;
    }
    planes_ = header_.bDepth;
    return true;
}

std::uint32_t CIffImage::GetFileSize() const {
    if (IsEmpty()) {
        return 0;
    }
    const std::uint64_t size =
        (palette_.empty() ? 48 : 56 + IffEven(palette_.size())) + IffEven(pixels_.size());
    return size > UINT32_MAX ? 0 : static_cast<std::uint32_t>(size);
}

bool CIffImage::Write(std::FILE* stream) const {
    const std::uint32_t fileSize = GetFileSize();
    if (fileSize == 0) {
        return false;
    }
    std::vector<std::uint8_t> head;
    IffWriter w(head);
    w.Tag("FORM");
    w.U32(fileSize - 8);
    w.Tag("ILBM");
    const unsigned planes = planes_ != 0 ? planes_ : header_.bDepth;
    w.Chunk("BMHD", IffBitmapHeader(header_.wWidth, header_.wHeight, planes, header_.bMasking,
                                    header_.bEncoding == kByteRun1 ? 1 : 0, header_.dwTransparent));
    if (!palette_.empty()) {
        w.Chunk("CMAP", palette_);
    }
    w.Tag("BODY");
    w.U32(static_cast<std::uint32_t>(pixels_.size()));
    const std::uint8_t pad = 0;
    return std::fwrite(head.data(), 1, head.size(), stream) == head.size() &&
           std::fwrite(pixels_.data(), 1, pixels_.size(), stream) == pixels_.size() &&
           ((pixels_.size() & 1) == 0 || std::fwrite(&pad, 1, 1, stream) == 1) &&
           std::fflush(stream) == 0;
}

bool CIffImage::ExportTo(IMAGEDATA* image) {
    if (image == nullptr) {
        return false;
    }
    ImgFree(image);
    *image = IMAGEDATA{};
    if (!Decode() || !HasDecodedRows()) {
        return false;
    }
    image->header = header_;
    image->header.bOrientation = 0;
    const unsigned depth = header_.bDepth;
    if (depth != 24) {
        if (!CopyReversedPaletteInto(image, ImgPaletteEntries(depth))) {
            return false;
        }
    }
    if (!CopyPixelsInto(image)) {
        return false;
    }
    if (depth == 24 || depth == 16) {
        const std::size_t step = depth / 8;
        for (std::size_t i = 0; i + step <= pixels_.size(); i += step) {
            std::swap(image->lpPixels[i], image->lpPixels[i + step - 1]);
        }
    }
    return true;
}

bool CIffImage::ImportFrom(const IMAGEDATA* source) {
    if (source == nullptr || !ImgValidate(source)) {
        return false;
    }
    Clear();
    const IMAGEHEADER& h = source->header;
    const std::uint64_t stride = ImgStride(h.wWidth, h.bDepth, h.bAlign);
    const unsigned depth = h.bDepth == 16 ? 24 : h.bDepth;
    const std::uint32_t bpp = ImgBytesPerPixel(depth);
    header_ = h;
    header_.bDepth = static_cast<std::uint8_t>(depth);
    header_.bAlign = 8;
    header_.bEncoding = kDecoded;
    pixels_.resize(std::size_t{bpp} * h.wWidth * h.wHeight);
    for (unsigned y = 0; y < h.wHeight; ++y) {
        const std::uint8_t* in = source->lpPixels + y * stride;
        std::uint8_t* out = pixels_.data() + std::size_t{y} * h.wWidth * bpp;
        for (unsigned x = 0; x < h.wWidth; ++x, out += bpp) {
            if (h.bDepth == 16) {
                // Palette indices deeper than 8 bits are written as the colours they stand for.
                const std::uint8_t* bgr = source->lpPalette + 3 * GetU16LE(in + 2 * x);
                out[0] = bgr[2];
                out[1] = bgr[1];
                out[2] = bgr[0];
            } else if (depth == 24) {
                out[0] = in[3 * x + 2];
                out[1] = in[3 * x + 1];
                out[2] = in[3 * x + 0];
            } else {
                out[0] = in[x];
            }
        }
    }
    if (depth != 24) {
        palette_.resize(std::size_t{3} * source->dwPaletteEntries);
        for (std::uint32_t i = 0; i < source->dwPaletteEntries; ++i) {
            palette_[i * 3 + 0] = source->lpPalette[i * 3 + 2];
            palette_[i * 3 + 1] = source->lpPalette[i * 3 + 1];
            palette_[i * 3 + 2] = source->lpPalette[i * 3 + 0];
        }
    } else {
        header_.dwColorsUsed = 0;
    }
    header_.bOrientation = 0;
    if ((h.bOrientation & kOrientationMirrored) && !Mirror()) {
        Clear();
        return false;
    }
    if ((h.bOrientation & kOrientationBottomUp) && !FlipVertical()) {
        Clear();
        return false;
    }
    header_.bOrientation = 0;
    return true;
}
