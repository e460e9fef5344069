// What the properties dialogs tell about one item's data: the size and colour depth of a
// texture with its first picture, or the length, rate, bits and channels of a sound.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "suite/image_record.h"

namespace patchbench {

// The colour line for a texture whose first slot stores `depth` planes: 1 is two colours,
// 0 and 2 to 4 sixteen, 5 to 8 256, 9 to 16 65536, more 16 million.
const char* DepthText(unsigned depth);

struct TextureInformation {
    std::string size;   // "Width: 64   Height: 32"
    std::string depth;  // one of DepthText's lines
    suite::ImageRecord picture;
};

// The first slot of a RIM texture, described and decoded; nothing when the data is no
// texture or its first slot cannot be decoded.
std::optional<TextureInformation> DescribeTexture(std::span<const unsigned char> data);

struct SoundInformation {
    std::string length;  // "1.0 sec @ 22.050 Hz"
    std::string format;  // "16 Bit (mono)"
};

// A WAVE for these dialogs: "RIFF", "WAVE" and "fmt " at 0, 8 and 12, and the 36 bytes of the
// canonical header that the description reads. Nothing otherwise.
std::optional<SoundInformation> DescribeSound(std::span<const unsigned char> data);

}  // namespace patchbench
