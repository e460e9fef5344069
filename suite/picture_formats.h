// The picture formats of the import and export dialogs, in the order of their filter lists:
// the dialogs remember the chosen entry by its 1-based index ("Import Type", "Export Type"),
// so a new format only ever goes to the end. TexBench's dialogs and fftool read this table.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "texbench/imaging/image_base.h"

namespace suite {

enum class PictureFormat {
    WholeTexture,  // a .rim file: the texture item as it is stored, not one picture
    Iff,
    Bmp,
    Dib,
    Tga,
    Png,
};

struct PictureFilter {
    int index;  // 1-based position in the filter list
    PictureFormat format;
    const char* text;       // the list entry, e.g. "Truevision Targa Image (*.tga)"
    const char* pattern;    // "*.tga"
    const char* extension;  // what an export appends, with its dot
};

// Every entry of the image archive's filter list, index 1 first.
std::span<const PictureFilter> ImageFilters();

// The image archive's filter list as the file dialogs take it: "text|pattern|...||||".
inline constexpr const char* kImageFilterText =
    "Rebellion Image File (*.rim)|*.rim|Amiga Interleaved Bitmap (*.iff)|*.iff|Windows or OS/2 "
    "Bitmap (*.bmp)|*.bmp|Device independant Bitmap (*.dib)|*.dib|Truevision Targa Image "
    "(*.tga)|*.tga|Portable Network Graphics (*.png)|*.png||||";

// The entry of a filter index; null outside the list.
const PictureFilter* ImageFilterByIndex(int index);
// The entry whose format reads files of this name, by its extension in any letter case
// (.ilbm and .lbm are IFF pictures too); null for any other name.
const PictureFilter* ImageFilterForPath(std::string_view path);
const PictureFilter& ImageFilterOf(PictureFormat format);

// The file class the suite reads and writes the format with; null for a whole texture and for
// formats only the platform's image readers know (PNG).
std::unique_ptr<CImageBase> PictureClassOf(PictureFormat format);

}  // namespace suite
