#include "texbench/imaging/image_base.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/atomic_file.h"
#include "texbench/imaging/packed_dib.h"
#include "texbench/imaging/planar.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool CImageBase::SetSize(unsigned width, unsigned height, unsigned depth) {
    if (width == 0 || height == 0 || depth == 0 || width > 0xFFFF || height > 0xFFFF ||
        depth > 0xFF) {
        return false;
    }
    Clear();
    header_.wWidth = static_cast<std::uint16_t>(width);
    header_.wHeight = static_cast<std::uint16_t>(height);
    header_.bDepth = static_cast<std::uint8_t>(depth);
    return true;
}

bool CImageBase::CreatePalette(unsigned depth, bool useDefault) {
    std::uint8_t* created = ImgCreatePalette(depth, useDefault);
    if (created == nullptr) {
        return false;
    }
    palette_.assign(created, created + 3 * ImgPaletteEntries(depth));
    std::free(created);
    return true;
}

void CImageBase::Clear() {
    palette_.clear();
    palette_.shrink_to_fit();
    pixels_.clear();
    pixels_.shrink_to_fit();
    header_ = IMAGEHEADER{};
}

bool CImageBase::ExportTo(IMAGEDATA*) {
    return false;
}
bool CImageBase::ImportFrom(const IMAGEDATA*) {
    return false;
}

bool CImageBase::GetHeader(IMAGEHEADER* header) const {
    if (header == nullptr) {
        return false;
    }
    *header = header_;
    return true;
}

std::vector<std::uint8_t> CImageBase::ToPackedDib() {
    IMAGEDATA image{};
    if (!ExportTo(&image)) {
        return {};
    }
    std::vector<std::uint8_t> dib = ImgToPackedDib(&image);
    ImgFree(&image);
    return dib;
}

bool CImageBase::FromPackedDib(std::span<const std::uint8_t> dib) {
    IMAGEDATA image{};
    const bool ok = ImgFromPackedDib(dib, &image) && ImportFrom(&image);
    ImgFree(&image);
    return ok;
}

std::uint32_t CImageBase::CountColors() {
    IMAGEDATA image{};
    if (!ExportTo(&image)) {
        return 0;
    }
    const std::uint32_t count = ImgCountColors(&image);
    ImgFree(&image);
    return count;
}

std::uint64_t CImageBase::DecodedStride() const {
    return ImgStride(header_.wWidth, header_.bDepth, header_.bAlign);
}

bool CImageBase::HasDecodedRows() {
    if (IsEmpty() || !Decode()) {
        return false;
    }
    const std::uint64_t stride = DecodedStride();
    return stride != 0 && stride * header_.wHeight == pixels_.size();
}

bool CImageBase::CopyReversedPaletteInto(IMAGEDATA* image, std::uint32_t entries) const {
    image->lpPalette = static_cast<std::uint8_t*>(std::calloc(entries, 3));
    if (image->lpPalette == nullptr) {
        ImgFree(image);
        return false;
    }
    image->dwPaletteEntries = entries;
    const std::size_t have = std::min<std::size_t>(palette_.size() / 3, entries);
    for (std::size_t i = 0; i < have; ++i) {
        image->lpPalette[i * 3 + 0] = palette_[i * 3 + 2];
        image->lpPalette[i * 3 + 1] = palette_[i * 3 + 1];
        image->lpPalette[i * 3 + 2] = palette_[i * 3 + 0];
    }
    return true;
}

bool CImageBase::CopyPixelsInto(IMAGEDATA* image) const {
    image->lpPixels = static_cast<std::uint8_t*>(std::malloc(pixels_.size()));
    if (image->lpPixels == nullptr) {
        ImgFree(image);
        return false;
    }
    std::memcpy(image->lpPixels, pixels_.data(), pixels_.size());
    image->dwPixelBytes = static_cast<std::uint32_t>(pixels_.size());
    return true;
}

bool CImageBase::PlanarBodyToRows(const PlanarLayout& layout) {
    std::vector<std::uint8_t> chunky;
    if (!PlanarToChunky(pixels_, layout, chunky)) {
        return false;
    }
    pixels_ = std::move(chunky);
    header_.bDepth = static_cast<std::uint8_t>(layout.planes <= 4 ? 4 : 8 * layout.pixelBytes);
    header_.bAlign = 8;
    header_.bEncoding = 0;  // decoded rows in every image class
    return true;
}

bool CImageBase::RowsToPlanarBody(const PlanarLayout& layout, std::uint8_t planarEncoding) {
    std::vector<std::uint8_t> body;
    if (!ChunkyToPlanar(pixels_, layout, body)) {
        return false;
    }
    pixels_ = std::move(body);
    header_.bAlign = 8;
    header_.bEncoding = planarEncoding;
    return true;
}

bool CImageBase::FlipVertical() {
    if (!HasDecodedRows()) {
        return false;
    }
    const std::uint64_t stride = DecodedStride();
    for (unsigned top = 0, bottom = header_.wHeight - 1u; top < bottom; ++top, --bottom) {
        std::swap_ranges(pixels_.begin() + top * stride, pixels_.begin() + (top + 1) * stride,
                         pixels_.begin() + bottom * stride);
    }
    header_.bOrientation ^= kOrientationBottomUp;
    return true;
}

bool CImageBase::Mirror() {
    if (!HasDecodedRows()) {
        return false;
    }
    const std::uint64_t stride = DecodedStride();
    const std::uint32_t bpp = ImgBytesPerPixel(header_.bDepth);
    for (unsigned y = 0; y < header_.wHeight; ++y) {
        std::uint8_t* row = pixels_.data() + y * stride;
        for (unsigned left = 0, right = header_.wWidth - 1u; left < right; ++left, --right) {
            std::swap_ranges(row + left * bpp, row + (left + 1) * bpp, row + right * bpp);
        }
    }
    header_.bOrientation ^= kOrientationMirrored;
    return true;
}

bool CImageBase::SetRowAlignment(unsigned bits) {
    if (IsEmpty()) {
        return false;
    }
    if (bits == 0 || bits == header_.bAlign) {
        return true;
    }
    if ((bits != 8 && bits != 16 && bits != 32) || !HasDecodedRows()) {
        return false;
    }
    const std::uint64_t oldStride = DecodedStride();
    const std::uint64_t newStride = ImgStride(header_.wWidth, header_.bDepth, bits);
    if (newStride != oldStride) {
        const std::uint64_t rowBytes =
            std::uint64_t{header_.wWidth} * ImgBytesPerPixel(header_.bDepth);
        std::vector<std::uint8_t> realigned(newStride * header_.wHeight);
        for (unsigned y = 0; y < header_.wHeight; ++y) {
            std::copy_n(pixels_.begin() + y * oldStride, rowBytes,
                        realigned.begin() + y * newStride);
        }
        pixels_ = std::move(realigned);
    }
    header_.bAlign = static_cast<std::uint8_t>(bits);
    return true;
}

bool CImageBase::Encode() {
    return !IsEmpty();
}

bool CImageBase::Decode() {
    return !IsEmpty() && header_.bEncoding == 0;
}

bool CImageBase::LoadFile(const std::string& path, std::uint32_t streamBufferBytes) {
    if (path.empty()) {
        return false;
    }
    Clear();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    std::setvbuf(file.get(), nullptr, _IOFBF, streamBufferBytes);
    if (!Serialize(file.get(), false)) {
        Clear();
    }
    return !IsEmpty();
}

bool CImageBase::SaveFile(const std::string& path, std::uint32_t streamBufferBytes) {
    if (path.empty() || IsEmpty() || !Encode()) {
        return false;
    }
    // A picture the user exports over an older one is replaced only when complete.
    qm::AtomicFile file(path);
    if (!file.Open()) {
        return false;
    }
    std::setvbuf(file.Stream(), nullptr, _IOFBF, streamBufferBytes);
    return Serialize(file.Stream(), true) && file.Commit();
}

bool CImageBase::Serialize(std::FILE*, bool) {
    return false;
}

bool CImageBase::IsEmpty() const {
    return header_.wWidth == 0 || header_.wHeight == 0 || header_.bDepth == 0 || pixels_.empty();
}
