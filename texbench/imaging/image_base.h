// The root of the image class family: every file or slot format converts between its own
// stored form and IMAGEDATA; flips, re-alignment and file handling are shared here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "texbench/imaging/image_data.h"

struct PlanarLayout;

class CImageBase {
  public:
    // The stream buffer of LoadFile and SaveFile unless the caller passes its own; TexBench
    // passes its "Image Buffer" setting.
    static constexpr std::uint32_t kDefaultStreamBufferBytes = 1024 * 1024;

    CImageBase() = default;
    virtual ~CImageBase() = default;
    CImageBase(const CImageBase&) = delete;
    CImageBase& operator=(const CImageBase&) = delete;

    // Fails when any is 0; otherwise clears the image and sets the three fields.
    virtual bool SetSize(unsigned width, unsigned height, unsigned depth);
    // Replaces the palette by ImgCreatePalette's (3 bytes an entry); false for other depths.
    virtual bool CreatePalette(unsigned depth, bool useDefault);
    virtual void Clear();
    virtual bool ExportTo(IMAGEDATA* image);
    virtual bool ImportFrom(const IMAGEDATA* image);
    virtual bool GetHeader(IMAGEHEADER* header) const;
    // The clipboard's bitmap form: ExportTo, then the packed DIB; empty on failure.
    virtual std::vector<std::uint8_t> ToPackedDib();
    // A packed DIB into a temporary record, then ImportFrom.
    virtual bool FromPackedDib(std::span<const std::uint8_t> dib);
    virtual std::uint32_t CountColors();
    virtual bool FlipVertical();
    virtual bool Mirror();
    virtual bool SetRowAlignment(unsigned bits);
    // Decoded form to stored form; the base has nothing to do for a non-empty image.
    virtual bool Encode();
    // Stored form to decoded form; the base only accepts an image that is already decoded.
    virtual bool Decode();
    // Both move the file through a stream buffer of the given size in bytes.
    virtual bool LoadFile(const std::string& path,
                          std::uint32_t streamBufferBytes = kDefaultStreamBufferBytes);
    virtual bool SaveFile(const std::string& path,
                          std::uint32_t streamBufferBytes = kDefaultStreamBufferBytes);
    // Reads (storing false) or writes the class's file format.
    virtual bool Serialize(std::FILE* stream, bool storing);
    virtual bool IsEmpty() const;
    virtual std::uint32_t GetFileSize() const { return 0; }

    unsigned GetWidth() const { return header_.wWidth; }
    unsigned GetHeight() const { return header_.wHeight; }
    unsigned GetDepth() const { return header_.bDepth; }
    unsigned GetRowAlignment() const { return header_.bAlign; }
    unsigned GetOrientation() const { return header_.bOrientation; }
    unsigned GetEncoding() const { return header_.bEncoding; }
    unsigned GetMasking() const { return header_.bMasking; }
    void SetMasking(unsigned masking) { header_.bMasking = static_cast<std::uint8_t>(masking); }
    std::uint32_t GetTransparentIndex() const { return header_.dwTransparent; }
    void SetTransparentIndex(std::uint32_t index) { header_.dwTransparent = index; }
    bool HasPalette() const { return !palette_.empty(); }
    bool HasPixels() const { return !pixels_.empty(); }

  protected:
    // Row stride of the decoded pixels; 0 when the header does not describe decoded rows.
    std::uint64_t DecodedStride() const;
    // Decoded pixels that match the header, so rows can be walked safely.
    bool HasDecodedRows();
    // Gives the record `entries` palette colours from this image's three-byte entries with
    // their byte order reversed (entries it lacks stay black); on failure the record is freed.
    bool CopyReversedPaletteInto(IMAGEDATA* image, std::uint32_t entries) const;
    // Gives the record its own copy of the pixels; on failure the record is freed.
    bool CopyPixelsInto(IMAGEDATA* image) const;
    // The bit-plane body (as IFF and RIM store it) turned into decoded rows in place: the
    // depth becomes 4 for up to four planes, else 8 bits per chunky byte.
    bool PlanarBodyToRows(const PlanarLayout& layout);
    // Decoded rows (already aligned to bytes) turned into a bit-plane body in place, marked
    // with the class's own code for a raw planar body; the caller keeps the plane count.
    bool RowsToPlanarBody(const PlanarLayout& layout, std::uint8_t planarEncoding);

    IMAGEHEADER header_{};
    std::vector<std::uint8_t> palette_;  // layout belongs to the concrete class
    std::vector<std::uint8_t> pixels_;
};
