// Pictures and colours of a skin for the Qt side.
#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>

namespace texbench {

class SkinResources;
struct SkinState;

// Bitmap `id` of the resources; a null image when there is none or it cannot be read.
QImage SkinBitmap(const SkinResources& resources, int id);
// The same from the skin module in use; null outside skin mode, where there is no module.
QImage SkinBitmap(const SkinState* skin, int id);

// 0x00BBGGRR as a colour.
inline QColor FromColorRef(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

}  // namespace texbench
