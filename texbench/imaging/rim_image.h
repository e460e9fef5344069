// One slot of a RIM texture item: a FORM ILBM whose body uses byte-aligned plane-rows, as
// few planes as the palette needs, and optional ByteRun1 runs that stay inside a plane-row.
#pragma once

#include <span>

#include "texbench/imaging/image_base.h"

class CRimImage : public CImageBase {
  public:
    // Stored forms: 0 decoded pixels, 1 ByteRun1 planar body, 2 raw planar body.
    enum Encoding : std::uint8_t { kDecoded = 0, kByteRun1 = 1, kPlanar = 2 };

    ~CRimImage() override = default;
    void Clear() override;
    bool ExportTo(IMAGEDATA* image) override;
    bool ImportFrom(const IMAGEDATA* image) override;
    bool Encode() override;
    bool Decode() override;
    // A slot lives only inside its item: it is never read from or written to a file alone.
    bool Serialize(std::FILE* stream, bool storing) override;
    std::uint32_t GetFileSize() const override { return GetFormSize(); }

    bool ParseForm(std::span<const std::uint8_t> form);
    // The slot FORM; empty when the image is empty or cannot be encoded.
    std::vector<std::uint8_t> BuildForm();
    std::uint32_t GetFormSize() const;
    bool SetCompression(bool compress);
    bool GetCompression() const { return compression_ != 0; }
    // Exact or nearest palette entry to a 0x00BBGGRR colour; -1 without a palette.
    int FindColor(std::uint32_t color) const;
    // Planes of the stored body (the depth field holds it until the body is decoded).
    unsigned GetPlanes() const { return header_.bDepth; }
    std::uint32_t GetColorsUsed() const { return header_.dwColorsUsed; }

  private:
    bool ParseChunks(std::span<const std::uint8_t> form);
    unsigned PlaneRowBytes() const { return (header_.wWidth + 7u) / 8u; }
    bool Decompress();
    bool Compress();

    std::uint8_t compression_ = 0;
};
