// The one-line description of a sound item (a whole WAV file) for the browser's info line.
#pragma once

#include <cstddef>
#include <string>

namespace suite {

// True when the data is long enough to hold the tags (16 bytes) and "fmt " follows "WAVE"
// directly at bytes 12..15; only then does the browser ask for a description.
bool HasSoundFormatHeader(const unsigned char* data, std::size_t size);

// "2.0 sec @ 22.050 Hz, 16 Bit (mono)" from the RIFF and format chunk header fields.
// A format chunk size outside 14..18, or data that ends before the fields the description
// needs (34 bytes, 36 with the bits per sample), reads "(unknown format)".
std::string DescribeSoundItem(const unsigned char* data, std::size_t size);

}  // namespace suite
