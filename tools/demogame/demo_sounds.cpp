#include "tools/demogame/demo_sounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace demogame {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kLoudness = 0.8;  // leaves headroom, so no sample clips

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// A small deterministic noise source, so that every run writes the same samples.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    // Uniform in [-1, 1].
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483647.5 - 1.0;
    }

  private:
    std::uint32_t state_;
};

// Short fades at both ends keep the sound from starting or stopping with a click.
double Envelope(int frame, int frames, int rate) {
    const double attack = 0.005 * rate;
    const double release = 0.02 * rate;
    const double in = std::min(1.0, (frame + 1) / attack);
    const double out = std::min(1.0, (frames - frame) / release);
    return std::max(0.0, std::min(in, out));
}

// Produces one sample of every channel per call, in [-1, 1].
class Synth {
  public:
    Synth(Tone tone, const ToneFormat& format)
        : tone_(tone), format_(format), left_(0x1234567u), right_(0x89ABCDEu) {}

    void Frame(int frame, double* samples) {
        const double t = static_cast<double>(frame) / format_.rate;
        const double length = static_cast<double>(format_.frames) / format_.rate;
        switch (tone_) {
            case Tone::Beep:
                Mono(samples, std::sin(kTwoPi * 880.0 * t));
                break;
            case Tone::Chirp: {
                // Frequency rises from 300 to 3000 Hz; the phase is its running sum.
                const double frequency = 300.0 + 2700.0 * t / length;
                phase_ += kTwoPi * frequency / format_.rate;
                Mono(samples, std::sin(phase_));
                break;
            }
            case Tone::Hiss: {
                const double decay = std::exp(-4.0 * t / length);
                samples[0] = left_.Next() * decay;
                samples[1] = right_.Next() * decay;
                break;
            }
            case Tone::Alarm: {
                const bool high = static_cast<int>(t * 8.0) % 2 == 0;
                const double tone = std::sin(kTwoPi * (high ? 1200.0 : 800.0) * t);
                samples[0] = tone;
                samples[1] = -tone;
                break;
            }
            case Tone::Hum:
                Mono(samples, 0.6 * std::sin(kTwoPi * 110.0 * t) +
                                  0.3 * std::sin(kTwoPi * 220.0 * t) +
                                  0.1 * std::sin(kTwoPi * 330.0 * t));
                break;
            case Tone::Click: {
                const double sinceClick = std::fmod(t, 0.025);
                Mono(samples, sinceClick < 0.002 ? std::exp(-sinceClick * 2000.0) : 0.0);
                break;
            }
        }
    }

  private:
    static void Mono(double* samples, double value) { samples[0] = samples[1] = value; }

    Tone tone_;
    ToneFormat format_;
    Noise left_;
    Noise right_;
    double phase_ = 0.0;
};

void PutSample(std::vector<std::uint8_t>& out, double value, int bits) {
    value = std::clamp(value * kLoudness, -1.0, 1.0);
    if (bits == 8) {
        out.push_back(static_cast<std::uint8_t>(128 + std::lround(value * 127.0)));
    } else {
        Put16(out,
              static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(value * 32767.0))));
    }
}

}  // namespace

std::vector<std::uint8_t> SynthesizeWave(Tone tone, const ToneFormat& format) {
    const bool valid = format.rate > 0 && (format.channels == 1 || format.channels == 2) &&
                       (format.bits == 8 || format.bits == 16) && format.frames > 0;
    if (!valid) {
        return {};
    }
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(format.channels * format.bits / 8);
    const std::uint32_t dataBytes = blockAlign * static_cast<std::uint32_t>(format.frames);
    // A chunk of odd length is followed by a pad byte, which the RIFF length counts.
    const std::uint32_t pad = dataBytes % 2;
    std::vector<std::uint8_t> out;
    out.reserve(kWaveHeaderBytes + dataBytes + pad);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes + pad);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, static_cast<std::uint32_t>(format.channels));
    Put32(out, static_cast<std::uint32_t>(format.rate));
    Put32(out, static_cast<std::uint32_t>(format.rate) * blockAlign);
    Put16(out, blockAlign);
    Put16(out, static_cast<std::uint32_t>(format.bits));
    PutTag(out, "data");
    Put32(out, dataBytes);
    Synth synth(tone, format);
    for (int frame = 0; frame < format.frames; ++frame) {
        double samples[2] = {0.0, 0.0};
        synth.Frame(frame, samples);
        const double envelope = Envelope(frame, format.frames, format.rate);
        for (int channel = 0; channel < format.channels; ++channel) {
            PutSample(out, samples[channel] * envelope, format.bits);
        }
    }
    if (pad != 0) {
        out.push_back(0);
    }
    return out;
}

}  // namespace demogame
