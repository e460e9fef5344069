// The one-line description of a sound item (a whole WAV file) for the browser's info line.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace suite {

// True when the data is long enough to hold the tags (16 bytes) and "fmt " follows "WAVE"
// directly at bytes 12..15; only then does the browser ask for a description.
bool HasSoundFormatHeader(const unsigned char* data, std::size_t size);

// "2.0 sec @ 22.050 Hz, 16 Bit (mono)" from the RIFF and format chunk header fields.
// A format chunk size outside 14..18, or data that ends before the fields the description
// needs (34 bytes, 36 with the bits per sample), reads "(unknown format)".
std::string DescribeSoundItem(const unsigned char* data, std::size_t size);

// The sound import dialog's two lines for a file on disk: "0.5 sec @ 44.100 Hz" and
// "16 Bit (stereo)".
struct SoundFileLines {
    std::string duration;
    std::string format;
};

// How many bytes of a file the import dialog reads to describe it.
inline constexpr std::size_t kSoundFileHeaderSize = 40;

// The lines from a file's first 40 bytes: nothing unless all 40 are there, the tags are
// "RIFF", "WAVE" and "fmt ", the format chunk size is 14 to 18 and the format is PCM.
std::optional<SoundFileLines> DescribeSoundFileHeader(std::span<const unsigned char> header);

// Reads the file's first 40 bytes and describes them; nothing for a file that cannot be
// opened or is shorter.
std::optional<SoundFileLines> DescribeSoundFile(const std::string& fileName);

}  // namespace suite
