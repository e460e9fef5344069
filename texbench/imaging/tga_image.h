// Truevision Targa files (.tga): colour-mapped and true-colour, raw or run-length encoded.
#pragma once

#include "texbench/imaging/image_base.h"

class CTgaImage : public CImageBase {
  public:
    // Stored forms: 0 raw pixels, 1 run-length-encoded body.
    enum Encoding : std::uint8_t { kRaw = 0, kRunLength = 1 };

    bool ExportTo(IMAGEDATA* image) override;
    bool ImportFrom(const IMAGEDATA* image) override;
    bool Encode() override;
    bool Decode() override;
    bool Serialize(std::FILE* stream, bool storing) override;
    std::uint32_t GetFileSize() const override;

  private:
    bool Read(std::FILE* stream);
    bool Write(std::FILE* stream) const;
};
