#include "suite/qt/qt_picture_codec.h"

#include "suite/picture_alpha.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>
#include <cstdlib>
#include <span>
#include <vector>

namespace suite {
namespace {

// Qt refuses images above its allocation limit (128 MB unless set); the largest picture we
// accept, held as 32 bits a pixel while it is converted, needs about 342 MiB.
constexpr int kAllocationLimitMegabytes = 400;

const char* QtFormatName(PictureFormat format) {
    switch (format) {
        case PictureFormat::Bmp:
        case PictureFormat::Dib:
            return "bmp";
        case PictureFormat::Tga:
            return "tga";
        case PictureFormat::Png:
            return "png";
        case PictureFormat::WholeTexture:
        case PictureFormat::Iff:
            break;
    }
    return nullptr;
}

bool AllocateRecord(IMAGEDATA* image, unsigned width, unsigned height, unsigned depth) {
    const std::uint64_t stride = ImgStride(width, depth, 32);
    const std::uint32_t entries = ImgPaletteEntries(depth);
    image->lpPixels = static_cast<std::uint8_t*>(std::calloc(stride * height, 1));
    if (entries != 0) {
        image->lpPalette = static_cast<std::uint8_t*>(std::calloc(entries, 3));
    }
    if (image->lpPixels == nullptr || (entries != 0 && image->lpPalette == nullptr)) {
        ImgFree(image);
        return false;
    }
    image->header.wWidth = static_cast<std::uint16_t>(width);
    image->header.wHeight = static_cast<std::uint16_t>(height);
    image->header.bDepth = static_cast<std::uint8_t>(depth);
    image->header.bAlign = 32;
    image->dwPaletteEntries = entries;
    image->dwPixelBytes = static_cast<std::uint32_t>(stride * height);
    return true;
}

// An opaque palette picture keeps its palette and indices: a 4-bit record for up to 16
// colours (the texture gets one 4-bit slot), else an 8-bit one.
bool IndexedRecord(const QImage& source, IMAGEDATA* image) {
    const QImage indexed = source.format() == QImage::Format_Indexed8
                               ? source
                               : source.convertToFormat(QImage::Format_Indexed8);
    const QList<QRgb> table = indexed.colorTable();
    const unsigned depth = table.size() <= 16 ? 4 : 8;
    if (indexed.isNull() || table.size() > 256 ||
        !AllocateRecord(image, static_cast<unsigned>(indexed.width()),
                        static_cast<unsigned>(indexed.height()), depth)) {
        return false;
    }
    image->header.dwColorsUsed = static_cast<std::uint32_t>(table.size());
    for (qsizetype i = 0; i < table.size(); ++i) {
        image->lpPalette[i * 3 + 0] = static_cast<std::uint8_t>(qBlue(table[i]));
        image->lpPalette[i * 3 + 1] = static_cast<std::uint8_t>(qGreen(table[i]));
        image->lpPalette[i * 3 + 2] = static_cast<std::uint8_t>(qRed(table[i]));
    }
    const std::uint64_t stride = ImgStride(image->header.wWidth, depth, 32);
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* in = indexed.constScanLine(y);
        std::uint8_t* out = image->lpPixels + static_cast<std::uint64_t>(y) * stride;
        for (int x = 0; x < indexed.width(); ++x) {
            // An index past a short colour table would read outside the palette we copy.
            out[x] = in[x] < table.size() ? in[x] : 0;
        }
    }
    return true;
}

bool TrueColorRecord(const QImage& source, Picture& picture,
                     std::optional<std::uint32_t> preferred) {
    const QImage rgba = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                                        : QImage::Format_RGBX8888);
    if (rgba.isNull() || rgba.bytesPerLine() != rgba.width() * 4) {
        return false;
    }
    return PictureFromRgba(
        std::span(rgba.constBits(), static_cast<std::size_t>(rgba.sizeInBytes())),
        static_cast<unsigned>(rgba.width()), static_cast<unsigned>(rgba.height()), preferred,
        picture);
}

// The record's colour at a pixel of the picture as shown (top-down, left to right).
class RecordPixels {
  public:
    explicit RecordPixels(const IMAGEDATA& image)
        : image_(image),
          stride_(ImgStride(image.header.wWidth, image.header.bDepth, image.header.bAlign)),
          bytes_(ImgBytesPerPixel(image.header.bDepth)) {}

    std::uint32_t Value(unsigned x, unsigned y) const {
        const unsigned width = image_.header.wWidth, height = image_.header.wHeight;
        const unsigned row =
            (image_.header.bOrientation & kOrientationBottomUp) ? height - 1 - y : y;
        const unsigned column =
            (image_.header.bOrientation & kOrientationMirrored) ? width - 1 - x : x;
        const std::uint8_t* p = image_.lpPixels + row * stride_ + std::uint64_t{column} * bytes_;
        switch (bytes_) {
            case 1:
                return image_.header.bDepth == 4 ? p[0] & 0x0F : p[0];
            case 2:
                return p[0] | (p[1] << 8);
            default:
                return p[0] | (p[1] << 8) | (p[2] << 16);  // blue, green, red
        }
    }
    QRgb Color(std::uint32_t value) const {
        if (image_.header.bDepth == 24) {
            return qRgb(static_cast<int>((value >> 16) & 0xFF),
                        static_cast<int>((value >> 8) & 0xFF), static_cast<int>(value & 0xFF));
        }
        const std::uint8_t* entry = image_.lpPalette + std::uint64_t{value} * 3;
        return qRgb(entry[2], entry[1], entry[0]);
    }
    bool Transparent(std::uint32_t value) const {
        return image_.header.bDepth != 24 && image_.header.bMasking == kMaskingTransparentColor &&
               value == image_.header.dwTransparent;
    }

  private:
    const IMAGEDATA& image_;
    std::uint64_t stride_;
    std::uint32_t bytes_;
};

QImage ToQImage(const IMAGEDATA& image) {
    const unsigned width = image.header.wWidth, height = image.header.wHeight;
    const RecordPixels pixels(image);
    if (image.header.bDepth == 4 || image.header.bDepth == 8) {
        // Palette pictures stay palette pictures, so their indices come back unchanged.
        QImage out(static_cast<int>(width), static_cast<int>(height), QImage::Format_Indexed8);
        QList<QRgb> table;
        for (std::uint32_t i = 0; i < image.dwPaletteEntries; ++i) {
            const QRgb color = pixels.Color(i);
            table.push_back(
                pixels.Transparent(i) ? qRgba(qRed(color), qGreen(color), qBlue(color), 0) : color);
        }
        out.setColorTable(table);
        for (unsigned y = 0; y < height; ++y) {
            uchar* row = out.scanLine(static_cast<int>(y));
            for (unsigned x = 0; x < width; ++x) {
                row[x] = static_cast<uchar>(pixels.Value(x, y));
            }
        }
        return out;
    }
    const bool masked =
        image.header.bDepth == 16 && image.header.bMasking == kMaskingTransparentColor;
    QImage out(static_cast<int>(width), static_cast<int>(height),
               masked ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (unsigned y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(y)));
        for (unsigned x = 0; x < width; ++x) {
            const std::uint32_t value = pixels.Value(x, y);
            row[x] = pixels.Transparent(value) ? qRgba(0, 0, 0, 0) : pixels.Color(value);
        }
    }
    return out;
}

}  // namespace

bool QtPictureCodec::Read(const std::string& file, PictureFormat format, Picture& picture,
                          std::optional<std::uint32_t> preferredTransparent) {
    picture = Picture{};
    const char* name = QtFormatName(format);
    if (name == nullptr) {
        return false;
    }
    QImageReader reader(QString::fromLocal8Bit(file.c_str()), name);
    reader.setAllocationLimit(kAllocationLimitMegabytes);
    // The size comes from the header: larger claims are refused before any pixel is read.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() ||
        !ImgFitsLargestPicture(static_cast<std::uint64_t>(size.width()),
                               static_cast<std::uint64_t>(size.height()), 24)) {
        return false;
    }
    const QImage image = reader.read();
    if (image.isNull() || image.size() != size) {
        return false;
    }
    const bool palette = !image.hasAlphaChannel() && (image.format() == QImage::Format_Indexed8 ||
                                                      image.format() == QImage::Format_Mono ||
                                                      image.format() == QImage::Format_MonoLSB);
    const bool ok = palette ? IndexedRecord(image, picture.image.Get())
                            : TrueColorRecord(image, picture, preferredTransparent);
    if (!ok || !ImgValidate(picture.image.Get())) {
        picture = Picture{};
        return false;
    }
    return true;
}

bool QtPictureCodec::Write(const IMAGEDATA& image, const std::string& file, PictureFormat format) {
    const char* name = QtFormatName(format);
    if (name == nullptr || !ImgValidate(&image)) {
        return false;
    }
    const QImage picture = ToQImage(image);
    QImageWriter writer(QString::fromLocal8Bit(file.c_str()), name);
    return !picture.isNull() && writer.write(picture);
}

std::optional<std::vector<std::uint8_t>> QtPictureCodec::Encode(const IMAGEDATA& image,
                                                                PictureFormat format) {
    const char* name = QtFormatName(format);
    if (name == nullptr || !ImgValidate(&image)) {
        return std::nullopt;
    }
    const QImage picture = ToQImage(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, name);
    if (picture.isNull() || !writer.write(picture)) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace suite
