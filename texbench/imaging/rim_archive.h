// A RIM texture item in memory: up to three slot FORMs (the same picture at falling colour
// depths), the transparency record and an opaque mip-map container.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "texbench/imaging/image_data.h"
#include "texbench/imaging/rim_image.h"

class CRimArchive {
  public:
    static constexpr unsigned kSlots = 3;
    static constexpr std::uint32_t kTransparencyOn = 6;

    void Clear();
    bool Parse(std::span<const std::uint8_t> bytes);
    bool LoadFile(const std::string& path);
    std::uint32_t GetCompiledSize() const;
    // The .rim byte image; empty when every slot is empty.
    std::vector<std::uint8_t> Compile() const;
    bool AddSlotForm(std::span<const std::uint8_t> form);
    void ClearSlot(unsigned i);
    // Decodes slot i into the caller's image, which is cleared first. False, with the image
    // left empty, when i is not a slot, the slot is empty or its form does not parse.
    bool GetSlotImage(unsigned i, CRimImage& image) const;
    bool SetSlotImage(CRimImage& image, unsigned i);
    bool ExportSlot(unsigned i, IMAGEDATA* target);
    // Builds the slots from one picture; converts the record in place as it goes.
    bool FillSlots(IMAGEDATA* image);
    // colour is 0x00BBGGRR.
    bool SetTransparency(bool enable, std::uint32_t color);

    std::uint32_t GetTransparencyMode() const { return transparencyMode_; }
    std::uint32_t GetTransparentColorWord() const { return transparentColor_; }
    bool IsSlotEmpty(unsigned i) const { return i >= kSlots || slots_[i].empty(); }
    std::span<const std::uint8_t> GetSlot(unsigned i) const {
        return i < kSlots ? std::span<const std::uint8_t>(slots_[i])
                          : std::span<const std::uint8_t>();
    }
    std::span<const std::uint8_t> GetContainer() const { return container_; }
    void SetContainer(std::span<const std::uint8_t> bytes) {
        container_.assign(bytes.begin(), bytes.end());
    }

  private:
    std::uint32_t transparencyMode_ = 0;
    std::uint32_t transparentColor_ = 0;  // colour << 8, as stored
    std::array<std::vector<std::uint8_t>, kSlots> slots_;
    std::vector<std::uint8_t> container_;
};
