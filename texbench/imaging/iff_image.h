// Amiga interleaved bitmaps (.iff): FORM ILBM with BMHD, CMAP and BODY chunks.
#pragma once

#include "texbench/imaging/image_base.h"

class CIffImage : public CImageBase {
  public:
    // Stored forms: 0 decoded pixels, 1 ByteRun1 planar body, 2 raw planar body.
    enum Encoding : std::uint8_t { kDecoded = 0, kByteRun1 = 1, kPlanar = 2 };

    ~CIffImage() override = default;
    bool ExportTo(IMAGEDATA* image) override;
    bool ImportFrom(const IMAGEDATA* image) override;
    bool Encode() override;
    bool Decode() override;
    bool Serialize(std::FILE* stream, bool storing) override;
    std::uint32_t GetFileSize() const override;

  private:
    bool Read(std::FILE* stream);
    bool Write(std::FILE* stream) const;
    bool ReadBitmapHeader(std::FILE* stream, std::uint32_t size, unsigned& planes);
    bool ReadDisplayModes(std::FILE* stream, std::uint32_t size);
    bool ReadColorMap(std::FILE* stream, std::uint32_t size, unsigned planes);
    bool ReadBody(std::FILE* stream, std::uint32_t size, unsigned planes);
    unsigned planes_ = 0;  // planes of the stored body
};
