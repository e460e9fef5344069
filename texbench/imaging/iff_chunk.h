// Big-endian fields and chunk headers of IFF files (ILBM pictures and RIM texture items).
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "platform/byte_order.h"

using qm::GetU16BE;
using qm::GetU32BE;
using qm::PutU16BE;
using qm::PutU32BE;

inline bool IffTagIs(const std::uint8_t* p, const char (&tag)[5]) {
    return std::memcmp(p, tag, 4) == 0;
}
inline std::uint64_t IffEven(std::uint64_t size) {
    return size + (size & 1);
}

// Appends big-endian values and whole chunks to a byte block.
class IffWriter {
  public:
    explicit IffWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void Tag(const char (&tag)[5]) {
        for (int i = 0; i < 4; ++i) {
            out_.push_back(static_cast<std::uint8_t>(tag[i]));
        }
    }
    void U8(std::uint32_t v) { out_.push_back(static_cast<std::uint8_t>(v)); }
    void U16(std::uint32_t v) {
        U8(v >> 8);
        U8(v);
    }
    void U32(std::uint32_t v) {
        U16(v >> 16);
        U16(v);
    }
    void Bytes(std::span<const std::uint8_t> bytes) {
        const std::size_t at = out_.size();
        out_.resize(at + bytes.size());
        if (!bytes.empty()) {
            std::memcpy(out_.data() + at, bytes.data(), bytes.size());
        }
    }
    // Tag, size, payload and the pad byte an odd payload needs.
    void Chunk(const char (&tag)[5], std::span<const std::uint8_t> payload) {
        Tag(tag);
        U32(static_cast<std::uint32_t>(payload.size()));
        Bytes(payload);
        if (payload.size() & 1) {
            U8(0);
        }
    }

  private:
    std::vector<std::uint8_t>& out_;
};

// The 20-byte BMHD payload both the ILBM file and the RIM slot write.
inline std::vector<std::uint8_t> IffBitmapHeader(unsigned width, unsigned height, unsigned planes,
                                                 unsigned masking, unsigned compression,
                                                 unsigned transparent) {
    std::vector<std::uint8_t> bmhd;
    IffWriter w(bmhd);
    w.U16(width);
    w.U16(height);
    w.U16(0);
    w.U16(0);
    w.U8(planes);
    w.U8(masking);
    w.U8(compression);
    w.U8(0);
    w.U16(transparent);
    w.U8(1);
    w.U8(1);
    w.U16(width);
    w.U16(height);
    return bmhd;
}
