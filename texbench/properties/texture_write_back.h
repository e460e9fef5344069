// The image properties' changes going back into the Fastfile after OK: the private texture
// compiled, stored over the item's data and the Fastfile saved at once.
#pragma once

#include "texbench/browser/browser_model.h"
#include "texbench/imaging/rim_archive.h"

namespace texbench {

// False, with the step that failed told to the user, when nothing could be compiled (every
// slot deleted) or the item's data not replaced; the item then keeps its bytes. A save that
// fails after the data was replaced is told too, but counts as written: the item in memory
// holds the new bytes and its row must be shown afresh.
bool WriteBackTexture(const BrowserModel& model, FFLITEM* item, const CRimArchive& texture);

}  // namespace texbench
