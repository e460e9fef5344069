// The format-neutral image record every image class imports from and exports to, and the
// free functions that work on it: validation, flips, row alignment, colour counting and
// conversion between 4, 8, 16 and 24 bits.
#pragma once

#include <cstdint>

class COctreeQuantizer;

// Identical at the start of IMAGEDATA and inside every image object.
struct IMAGEHEADER {
    std::uint16_t wWidth;         // pixels; 0 means empty
    std::uint16_t wHeight;        // rows
    std::uint8_t bDepth;          // 4, 8, 16 or 24 in decoded form
    std::uint8_t bAlign;          // rows padded to 8, 16 or 32 bits
    std::uint8_t bOrientation;    // bit 0: bottom-up rows; bit 1: mirrored rows
    std::uint8_t bEncoding;       // 0 = decoded; class-specific otherwise
    std::uint8_t bMasking;        // 0 none, 2 transparent colour
    std::uint32_t dwTransparent;  // palette index of the transparent colour
    std::uint32_t dwColorsUsed;   // palette entries in use; 0 = no count
};

// Owns both blocks (malloc'd) until ImgFree. Palette entries are blue, green, red. Decoded
// pixels: depth 4 and 8 one byte each (4-bit in the low nibble), 16 two bytes little-endian
// indexing a 65,536-entry palette, 24 blue, green, red.
struct IMAGEDATA {
    IMAGEHEADER header;
    std::uint8_t* lpPalette;
    std::uint32_t dwPaletteEntries;
    std::uint8_t* lpPixels;
    std::uint32_t dwPixelBytes;
};

inline constexpr std::uint8_t kOrientationBottomUp = 0x01;
inline constexpr std::uint8_t kOrientationMirrored = 0x02;
inline constexpr std::uint8_t kMaskingTransparentColor = 2;

// Bytes one pixel takes in decoded form: 1, 1, 2 or 3.
std::uint32_t ImgBytesPerPixel(unsigned depth);
// Row length in bytes for the alignment (8, 16 or 32 bits); 0 for a bad depth or alignment.
std::uint64_t ImgStride(unsigned width, unsigned depth, unsigned align);
// The largest picture any reader accepts, whatever its file format or compression: at most
// 16,384 pixels wide and 16,384 rows high, and at most 256 MiB of decoded pixels (rows at the
// depth the picture decodes to, aligned to 32 bits). Readers refuse larger claims from the
// header alone, before allocating; every valid picture within it is decoded, however short
// its compressed body.
inline constexpr std::uint32_t kImgMaxWidth = 16384;
inline constexpr std::uint32_t kImgMaxHeight = 16384;
inline constexpr std::uint64_t kImgMaxPixelBytes = std::uint64_t{256} << 20;
// True when a picture of this size decoded at `depth` (4, 8, 16 or 24) is within that bound.
bool ImgFitsLargestPicture(std::uint64_t width, std::uint64_t height, unsigned depth);
// Palette entries that a depth needs: 16, 256, 65,536, or 0 for 24 bits.
std::uint32_t ImgPaletteEntries(unsigned depth);

bool ImgFree(IMAGEDATA* image);
bool ImgValidate(const IMAGEDATA* image);
bool ImgFlipVertical(IMAGEDATA* image);
bool ImgMirror(IMAGEDATA* image);
bool ImgSetRowAlignment(IMAGEDATA* image, unsigned bits);
std::uint32_t ImgCountColors(const IMAGEDATA* image);
// Feeds every pixel's colour to the quantiser, row by row.
bool ImgForEachColor(const IMAGEDATA* image, COctreeQuantizer& quantizer);
// Depth conversions in place; align 8, 16 or 32 sets the new row alignment, 0 keeps it.
// A failure leaves the image unchanged.
bool ImgTo24Bit(IMAGEDATA* image, unsigned align);
bool ImgToIndexed(IMAGEDATA* image, unsigned align);
bool ImgTo8Bit(IMAGEDATA* image, unsigned align);
bool ImgTo4Bit(IMAGEDATA* image, unsigned align);
// A malloc'd palette of 3 << depth bytes, zeroed or the default palette; null for other depths.
std::uint8_t* ImgCreatePalette(unsigned depth, bool useDefault);
