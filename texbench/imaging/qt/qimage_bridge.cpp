#include "texbench/imaging/qt/qimage_bridge.h"

#include <cstdlib>
#include <cstring>

QImage ImgToQImage(const IMAGEDATA* source) {
    if (source == nullptr || !ImgValidate(source)) {
        return {};
    }
    IMAGEDATA image = *source;
    image.lpPixels = static_cast<std::uint8_t*>(std::malloc(source->dwPixelBytes));
    image.lpPalette = nullptr;
    if (source->lpPalette != nullptr) {
        image.lpPalette = static_cast<std::uint8_t*>(std::malloc(source->dwPaletteEntries * 3u));
    }
    if (image.lpPixels == nullptr || (source->lpPalette != nullptr && image.lpPalette == nullptr)) {
        ImgFree(&image);
        return {};
    }
    std::memcpy(image.lpPixels, source->lpPixels, source->dwPixelBytes);
    if (image.lpPalette != nullptr) {
        std::memcpy(image.lpPalette, source->lpPalette, source->dwPaletteEntries * 3u);
    }
    if (!ImgTo24Bit(&image, 32)) {
        ImgFree(&image);
        return {};
    }
    const int width = image.header.wWidth, height = image.header.wHeight;
    const auto stride = ImgStride(width, 24, 32);
    const bool bottomUp = image.header.bOrientation & kOrientationBottomUp;
    const bool mirrored = image.header.bOrientation & kOrientationMirrored;
    QImage bitmap(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = image.lpPixels + (bottomUp ? height - 1 - y : y) * stride;
        std::uint8_t* out = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = in + (mirrored ? width - 1 - x : x) * 3;
            out[x * 3 + 0] = p[2];
            out[x * 3 + 1] = p[1];
            out[x * 3 + 2] = p[0];
        }
    }
    ImgFree(&image);
    return bitmap;
}

bool ImgFromQImage(const QImage& bitmap, unsigned depth, IMAGEDATA* image) {
    if (image == nullptr) {
        return false;
    }
    ImgFree(image);
    if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0 || bitmap.width() > 0xFFFF ||
        bitmap.height() > 0xFFFF) {
        return false;
    }
    if (depth != 4 && depth != 8 && depth != 24) {
        const int own = bitmap.depth();
        depth = (own == 4 || own == 8) ? static_cast<unsigned>(own) : 24;
    }
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB888);
    const unsigned width = rgb.width(), height = rgb.height();
    const auto stride = ImgStride(width, 24, 32);
    image->lpPixels = static_cast<std::uint8_t*>(std::calloc(1, stride * height));
    if (image->lpPixels == nullptr) {
        return false;
    }
    for (unsigned y = 0; y < height; ++y) {
        const std::uint8_t* in = rgb.constScanLine(static_cast<int>(y));
        std::uint8_t* out = image->lpPixels + y * stride;
        for (unsigned x = 0; x < width; ++x) {
            out[x * 3 + 0] = in[x * 3 + 2];
            out[x * 3 + 1] = in[x * 3 + 1];
            out[x * 3 + 2] = in[x * 3 + 0];
        }
    }
    image->header.wWidth = static_cast<std::uint16_t>(width);
    image->header.wHeight = static_cast<std::uint16_t>(height);
    image->header.bDepth = 24;
    image->header.bAlign = 32;
    image->dwPixelBytes = static_cast<std::uint32_t>(stride * height);
    // Fewer bits go through the suite's own quantiser, as every other reduction does.
    const bool ok = depth == 24 || (depth == 8 ? ImgTo8Bit(image, 32) : ImgTo4Bit(image, 32));
    if (!ok) {
        ImgFree(image);
    }
    return ok;
}

QImage ToQImage(CImageBase& image) {
    IMAGEDATA record{};
    QImage bitmap;
    if (image.ExportTo(&record)) {
        bitmap = ImgToQImage(&record);
    }
    ImgFree(&record);
    return bitmap;
}

bool FromQImage(CImageBase& image, const QImage& bitmap, unsigned depth) {
    IMAGEDATA record{};
    const bool ok = ImgFromQImage(bitmap, depth, &record) && image.ImportFrom(&record);
    ImgFree(&record);
    return ok;
}
