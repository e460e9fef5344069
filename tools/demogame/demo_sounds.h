#pragma once

// Synthesised PCM sounds for the demo game's sound archive, written as whole RIFF WAVE files
// (a 16-byte "fmt " chunk right after "WAVE", then the "data" chunk), the way the game keeps
// them as items.

#include <cstdint>
#include <vector>

namespace demogame {

enum class Tone {
    Beep,   // a steady sine
    Chirp,  // a sine sweeping upwards
    Hiss,   // a decaying noise burst, each channel its own noise
    Alarm,  // two tones taking turns, the channels in opposite phase
    Hum,    // a low tone with its harmonics
    Click,  // short clicks
};

struct ToneFormat {
    int rate;      // samples per second
    int channels;  // 1 or 2
    int bits;      // 8 (unsigned) or 16 (signed)
    int frames;    // samples per channel
};

// The complete WAV file; empty for a format this writer does not make.
std::vector<std::uint8_t> SynthesizeWave(Tone tone, const ToneFormat& format);

// Length of the WAV header before the samples.
inline constexpr std::size_t kWaveHeaderBytes = 44;

}  // namespace demogame
