#include "suite/picture_formats.h"

#include <filesystem>
#include <string>

#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/tga_image.h"

namespace suite {
namespace {

constexpr PictureFilter kFilters[] = {
    {1, PictureFormat::WholeTexture, "Rebellion Image File (*.rim)", "*.rim", ".rim"},
    {2, PictureFormat::Iff, "Amiga Interleaved Bitmap (*.iff)", "*.iff", ".iff"},
    {3, PictureFormat::Bmp, "Windows or OS/2 Bitmap (*.bmp)", "*.bmp", ".bmp"},
    {4, PictureFormat::Dib, "Device independant Bitmap (*.dib)", "*.dib", ".dib"},
    {5, PictureFormat::Tga, "Truevision Targa Image (*.tga)", "*.tga", ".tga"},
    {6, PictureFormat::Png, "Portable Network Graphics (*.png)", "*.png", ".png"},
};

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace

std::span<const PictureFilter> ImageFilters() {
    return kFilters;
}

const PictureFilter* ImageFilterByIndex(int index) {
    for (const PictureFilter& filter : kFilters) {
        if (filter.index == index) {
            return &filter;
        }
    }
    return nullptr;
}

const PictureFilter* ImageFilterForPath(std::string_view path) {
    const std::string extension = Lower(std::filesystem::path(path).extension().string());
    if (extension == ".ilbm" || extension == ".lbm") {
        return &ImageFilterOf(PictureFormat::Iff);
    }
    for (const PictureFilter& filter : kFilters) {
        if (extension == filter.extension) {
            return &filter;
        }
    }
    return nullptr;
}

const PictureFilter& ImageFilterOf(PictureFormat format) {
    for (const PictureFilter& filter : kFilters) {
        if (filter.format == format) {
            return filter;
        }
    }
    return kFilters[0];
}

std::unique_ptr<CImageBase> PictureClassOf(PictureFormat format) {
    switch (format) {
        case PictureFormat::Iff:
            return std::make_unique<CIffImage>();
        case PictureFormat::Bmp:
        case PictureFormat::Dib:
            return std::make_unique<CBmpImage>();
        case PictureFormat::Tga:
            return std::make_unique<CTgaImage>();
        case PictureFormat::WholeTexture:
        case PictureFormat::Png:
            break;
    }
    return nullptr;
}

}  // namespace suite
