// Windows bitmap files (.bmp, and .dib, the same format).
#pragma once

#include "texbench/imaging/image_base.h"

class CBmpImage : public CImageBase {
  public:
    // Stored forms: 0 decoded, 1 RLE8 body, 2 RLE4 body, 3 16-bit 5-5-5 pixels, 4 packed
    // 4-bit pixels (two a byte, high nibble first).
    enum Encoding : std::uint8_t { kDecoded = 0, kRle8 = 1, kRle4 = 2, kRgb555 = 3, kPacked4 = 4 };

    bool ExportTo(IMAGEDATA* image) override;
    bool ImportFrom(const IMAGEDATA* image) override;
    bool Encode() override;
    bool Decode() override;
    bool Serialize(std::FILE* stream, bool storing) override;
    std::uint32_t GetFileSize() const override;

  private:
    bool Read(std::FILE* stream);
    bool Write(std::FILE* stream) const;
    bool DecodeRle(std::vector<std::uint8_t>& out, std::uint64_t stride) const;
};
