#include "texbench/imaging/image_data.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "texbench/imaging/octree_quantizer.h"

namespace {

bool IsDecodedDepth(unsigned depth) {
    return depth == 4 || depth == 8 || depth == 16 || depth == 24;
}

bool IsAlignment(unsigned bits) {
    return bits == 8 || bits == 16 || bits == 32;
}

bool IsEmpty(const IMAGEDATA* image) {
    return image->header.wWidth == 0 || image->header.wHeight == 0 || image->header.bDepth == 0 ||
           image->lpPixels == nullptr || image->dwPixelBytes == 0;
}

// The pixel block matches the header, so rows can be walked without leaving it.
bool HasConsistentPixels(const IMAGEDATA* image) {
    if (IsEmpty(image) || image->header.bEncoding != 0 || !IsDecodedDepth(image->header.bDepth) ||
        !IsAlignment(image->header.bAlign)) {
        return false;
    }
    const std::uint64_t stride =
        ImgStride(image->header.wWidth, image->header.bDepth, image->header.bAlign);
    return stride * image->header.wHeight == image->dwPixelBytes;
}

std::uint32_t PixelValue(const std::uint8_t* pixel, unsigned depth) {
    switch (depth) {
        case 4:
            return pixel[0] & 0x0F;
        case 8:
            return pixel[0];
        case 16:
            return pixel[0] | (pixel[1] << 8);
        default:
            return (pixel[0] << 16) | (pixel[1] << 8) | pixel[2];
    }
}

std::uint8_t* Allocate(std::uint64_t bytes) {
    if (bytes == 0 || bytes > UINT32_MAX) {
        return nullptr;
    }
    return static_cast<std::uint8_t*>(std::calloc(1, bytes));
}

// Calls visit(red, green, blue) for every pixel, row by row.
template <typename Visit>
bool ForEachPixelColor(const IMAGEDATA* image, Visit visit) {
    if (!HasConsistentPixels(image)) {
        return false;
    }
    const unsigned depth = image->header.bDepth;
    const std::uint32_t paletteEntries = ImgPaletteEntries(depth);
    if (depth != 24 && (image->lpPalette == nullptr || image->dwPaletteEntries < paletteEntries)) {
        return false;
    }
    const std::uint32_t bpp = ImgBytesPerPixel(depth);
    const std::uint64_t stride = ImgStride(image->header.wWidth, depth, image->header.bAlign);
    for (unsigned y = 0; y < image->header.wHeight; ++y) {
        const std::uint8_t* row = image->lpPixels + y * stride;
        for (unsigned x = 0; x < image->header.wWidth; ++x) {
            const std::uint8_t* pixel = row + x * bpp;
            if (depth == 24) {
                visit(pixel[2], pixel[1], pixel[0]);
            } else {
                const std::uint8_t* entry = image->lpPalette + 3 * PixelValue(pixel, depth);
                visit(entry[2], entry[1], entry[0]);
            }
        }
    }
    return true;
}

// Replaces the image's pixels by `depth`-bit indices of a palette the quantiser builds.
bool Quantize(IMAGEDATA* image, unsigned align, std::uint32_t maxColors, unsigned forcedDepth) {
    COctreeQuantizer quantizer;
    if (!ImgForEachColor(image, quantizer) || !quantizer.Reduce(maxColors)) {
        return false;
    }
    unsigned depth = forcedDepth;
    if (depth == 0) {
        const std::uint32_t colors = quantizer.ColorCount();
        depth = colors <= 16 ? 4 : colors <= 256 ? 8 : 16;
    }
    const unsigned newAlign = align != 0 ? align : image->header.bAlign;
    const std::uint64_t stride = ImgStride(image->header.wWidth, depth, newAlign);
    std::uint8_t* palette = ImgCreatePalette(depth, false);
    std::uint8_t* pixels = Allocate(stride * image->header.wHeight);
    if (palette == nullptr || pixels == nullptr) {
        std::free(palette);
        std::free(pixels);
        return false;
    }
    const std::uint32_t entries = ImgPaletteEntries(depth);
    const std::uint32_t used = quantizer.BuildPalette({palette, entries * 3u});
    std::uint64_t x = 0, y = 0;
    const std::uint32_t bpp = ImgBytesPerPixel(depth);
    ForEachPixelColor(image, [&](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        std::uint32_t index = quantizer.MapColor(r, g, b);
        std::uint8_t* out = pixels + y * stride + x * bpp;
        if (depth == 16) {
            out[0] = static_cast<std::uint8_t>(index);
            out[1] = static_cast<std::uint8_t>(index >> 8);
        } else {
            out[0] = static_cast<std::uint8_t>(depth == 4 ? (index & 0x0F) : index);
        }
        if (++x == image->header.wWidth) {
            x = 0;
            ++y;
        }
    });
    std::free(image->lpPixels);
    std::free(image->lpPalette);
    image->lpPixels = pixels;
    image->dwPixelBytes = static_cast<std::uint32_t>(stride * image->header.wHeight);
    image->lpPalette = palette;
    image->dwPaletteEntries = entries;
    image->header.bDepth = static_cast<std::uint8_t>(depth);
    image->header.bAlign = static_cast<std::uint8_t>(newAlign);
    image->header.dwColorsUsed = used;
    return true;
}

}  // namespace

std::uint32_t ImgBytesPerPixel(unsigned depth) {
    return (depth + 4) / 8;
}

std::uint64_t ImgStride(unsigned width, unsigned depth, unsigned align) {
    if (!IsDecodedDepth(depth) || !IsAlignment(align)) {
        return 0;
    }
    const std::uint64_t bytes = std::uint64_t{width} * ImgBytesPerPixel(depth);
    const std::uint64_t unit = align / 8;
    return (bytes + unit - 1) / unit * unit;
}

bool ImgFitsLargestPicture(std::uint64_t width, std::uint64_t height, unsigned depth) {
    if (width == 0 || height == 0 || width > kImgMaxWidth || height > kImgMaxHeight) {
        return false;
    }
    const std::uint64_t stride = ImgStride(static_cast<unsigned>(width), depth, 32);
    return stride != 0 && stride * height <= kImgMaxPixelBytes;
}

std::uint32_t ImgPaletteEntries(unsigned depth) {
    switch (depth) {
        case 4:
            return 16;
        case 8:
            return 256;
        case 16:
            return 65536;
        default:
            return 0;
    }
}

bool ImgFree(IMAGEDATA* image) {
    if (image == nullptr) {
        return false;
    }
    std::free(image->lpPixels);
    std::free(image->lpPalette);
    std::memset(image, 0, sizeof(*image));
    return true;
}

bool ImgValidate(const IMAGEDATA* image) {
    if (image == nullptr || IsEmpty(image) || image->header.bEncoding != 0 ||
        !IsAlignment(image->header.bAlign) || !IsDecodedDepth(image->header.bDepth)) {
        return false;
    }
    const unsigned depth = image->header.bDepth;
    const std::uint32_t entries = ImgPaletteEntries(depth);
    if (depth == 24 ? (image->lpPalette != nullptr || image->dwPaletteEntries != 0)
                    : (image->lpPalette == nullptr || image->dwPaletteEntries != entries)) {
        return false;
    }
    const std::uint32_t maxUsed = depth == 24 ? 16777215u : entries;
    return image->header.dwColorsUsed <= maxUsed && HasConsistentPixels(image);
}

bool ImgFlipVertical(IMAGEDATA* image) {
    if (image == nullptr || !HasConsistentPixels(image)) {
        return false;
    }
    const std::uint64_t stride =
        ImgStride(image->header.wWidth, image->header.bDepth, image->header.bAlign);
    std::vector<std::uint8_t> row(stride);
    for (unsigned top = 0, bottom = image->header.wHeight - 1u; top < bottom; ++top, --bottom) {
        std::uint8_t* a = image->lpPixels + top * stride;
        std::uint8_t* b = image->lpPixels + bottom * stride;
        std::memcpy(row.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row.data(), stride);
    }
    image->header.bOrientation ^= kOrientationBottomUp;
    return true;
}

bool ImgMirror(IMAGEDATA* image) {
    if (image == nullptr || !HasConsistentPixels(image)) {
        return false;
    }
    const std::uint32_t bpp = ImgBytesPerPixel(image->header.bDepth);
    const std::uint64_t stride =
        ImgStride(image->header.wWidth, image->header.bDepth, image->header.bAlign);
    for (unsigned y = 0; y < image->header.wHeight; ++y) {
        std::uint8_t* row = image->lpPixels + y * stride;
        for (unsigned left = 0, right = image->header.wWidth - 1u; left < right; ++left, --right) {
            for (std::uint32_t i = 0; i < bpp; ++i) {
                std::swap(row[left * bpp + i], row[right * bpp + i]);
            }
        }
    }
    image->header.bOrientation ^= kOrientationMirrored;
    return true;
}

bool ImgSetRowAlignment(IMAGEDATA* image, unsigned bits) {
    if (image == nullptr || IsEmpty(image)) {
        return false;
    }
    if (bits == 0 || bits == image->header.bAlign) {
        return true;
    }
    if (!IsAlignment(bits) || !HasConsistentPixels(image)) {
        return false;
    }
    const unsigned width = image->header.wWidth, depth = image->header.bDepth;
    const std::uint64_t oldStride = ImgStride(width, depth, image->header.bAlign);
    const std::uint64_t newStride = ImgStride(width, depth, bits);
    if (newStride != oldStride) {
        std::uint8_t* pixels = Allocate(newStride * image->header.wHeight);
        if (pixels == nullptr) {
            return false;
        }
        const std::uint64_t rowBytes = std::uint64_t{width} * ImgBytesPerPixel(depth);
        for (unsigned y = 0; y < image->header.wHeight; ++y) {
            std::memcpy(pixels + y * newStride, image->lpPixels + y * oldStride, rowBytes);
        }
        std::free(image->lpPixels);
        image->lpPixels = pixels;
        image->dwPixelBytes = static_cast<std::uint32_t>(newStride * image->header.wHeight);
    }
    image->header.bAlign = static_cast<std::uint8_t>(bits);
    return true;
}

std::uint32_t ImgCountColors(const IMAGEDATA* image) {
    if (image == nullptr || !HasConsistentPixels(image)) {
        return 0;
    }
    // One bit per possible value: 2 MiB instead of a hash set.
    std::vector<std::uint64_t> seen((1u << 24) / 64);
    const unsigned depth = image->header.bDepth;
    const std::uint32_t bpp = ImgBytesPerPixel(depth);
    const std::uint64_t stride = ImgStride(image->header.wWidth, depth, image->header.bAlign);
    std::uint32_t count = 0;
    for (unsigned y = 0; y < image->header.wHeight; ++y) {
        const std::uint8_t* row = image->lpPixels + y * stride;
        for (unsigned x = 0; x < image->header.wWidth; ++x) {
            const std::uint32_t value = PixelValue(row + x * bpp, depth == 4 ? 8 : depth);
            std::uint64_t& word = seen[value / 64];
            const std::uint64_t bit = std::uint64_t{1} << (value % 64);
            if ((word & bit) == 0) {
                word |= bit;
                ++count;
            }
        }
    }
    return count;
}

bool ImgForEachColor(const IMAGEDATA* image, COctreeQuantizer& quantizer) {
    return image != nullptr &&
           ForEachPixelColor(image, [&quantizer](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
               quantizer.AddColor(r, g, b);
           });
}

bool ImgTo24Bit(IMAGEDATA* image, unsigned align) {
    if (image == nullptr || !HasConsistentPixels(image) || (align != 0 && !IsAlignment(align))) {
        return false;
    }
    if (image->header.bDepth == 24) {
        return ImgSetRowAlignment(image, align);
    }
    const unsigned newAlign = align != 0 ? align : image->header.bAlign;
    const std::uint64_t stride = ImgStride(image->header.wWidth, 24, newAlign);
    std::uint8_t* pixels = Allocate(stride * image->header.wHeight);
    if (pixels == nullptr) {
        return false;
    }
    std::uint64_t x = 0, y = 0;
    const bool ok = ForEachPixelColor(image, [&](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        std::uint8_t* out = pixels + y * stride + x * 3;
        out[0] = b;
        out[1] = g;
        out[2] = r;
        if (++x == image->header.wWidth) {
            x = 0;
            ++y;
        }
    });
    if (!ok) {
        std::free(pixels);
        return false;
    }
    std::free(image->lpPixels);
    std::free(image->lpPalette);
    image->lpPixels = pixels;
    image->dwPixelBytes = static_cast<std::uint32_t>(stride * image->header.wHeight);
    image->lpPalette = nullptr;
    image->dwPaletteEntries = 0;
    image->header.bDepth = 24;
    image->header.bAlign = static_cast<std::uint8_t>(newAlign);
    image->header.dwColorsUsed = 0;
    return true;
}

bool ImgToIndexed(IMAGEDATA* image, unsigned align) {
    if (image == nullptr || (align != 0 && !IsAlignment(align))) {
        return false;
    }
    if (image->header.bDepth < 24) {
        return ImgSetRowAlignment(image, align);
    }
    return Quantize(image, align, 65536, 0);
}

bool ImgTo8Bit(IMAGEDATA* image, unsigned align) {
    if (image == nullptr || (align != 0 && !IsAlignment(align))) {
        return false;
    }
    if (image->header.bDepth == 4 || image->header.bDepth == 8) {
        return ImgSetRowAlignment(image, align);
    }
    return Quantize(image, align, 256, 8);
}

bool ImgTo4Bit(IMAGEDATA* image, unsigned align) {
    if (image == nullptr || (align != 0 && !IsAlignment(align))) {
        return false;
    }
    if (image->header.bDepth == 4) {
        return ImgSetRowAlignment(image, align);
    }
    return Quantize(image, align, 16, 4);
}

std::uint8_t* ImgCreatePalette(unsigned depth, bool useDefault) {
    const std::uint32_t entries = ImgPaletteEntries(depth);
    if (entries == 0) {
        return nullptr;
    }
    auto* palette = static_cast<std::uint8_t*>(std::calloc(entries, 3));
    if (palette == nullptr || !useDefault) {
        return palette;
    }
    auto set = [palette](std::uint32_t index, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        palette[index * 3 + 0] = b;
        palette[index * 3 + 1] = g;
        palette[index * 3 + 2] = r;
    };
    if (depth == 4) {
        for (std::uint32_t i = 0; i < 8; ++i) {
            set(i, (i & 1) ? 128 : 0, (i & 2) ? 128 : 0, (i & 4) ? 128 : 0);
        }
        set(8, 192, 192, 192);
    } else if (depth == 8) {
        static constexpr std::uint8_t kSix[] = {0, 51, 102, 153, 204, 255};
        static constexpr std::uint8_t kSeven[] = {0, 43, 86, 129, 172, 215, 255};
        for (std::uint32_t r = 0; r < 6; ++r) {
            for (std::uint32_t g = 0; g < 7; ++g) {
                for (std::uint32_t b = 0; b < 6; ++b) {
                    set(r * 42 + g * 6 + b, kSix[r], kSeven[g], kSix[b]);
                }
            }
        }
    } else {
        for (std::uint32_t r = 0; r < 32; ++r) {
            for (std::uint32_t g = 0; g < 64; ++g) {
                for (std::uint32_t b = 0; b < 32; ++b) {
                    set((r << 11) | (g << 5) | b, static_cast<std::uint8_t>(r << 3),
                        static_cast<std::uint8_t>(g << 2), static_cast<std::uint8_t>(b << 3));
                }
            }
        }
    }
    return palette;
}
