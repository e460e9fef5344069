// Playing a sound item of a Fastfile: its whole WAV bytes go to the platform's sound
// service from memory. The service plays its own copy, so the item may be changed, saved
// or closed right after.
#pragma once

#include "packlib/packlib.h"

namespace suite {

// Plays the item when it is a sound (RIFF/WAVE); does nothing for any other item. Nothing
// is reported when the sound cannot be played.
void PlaySoundItem(const FFLITEM* item);

}  // namespace suite
