// PatchLib's process-wide state: the patch stream buffer size and the handles it issued.
#pragma once

#include <cstdint>

#include "patchlib/patchlib.h"
#include "platform/live_handles.h"

namespace patchlib {

// The stream buffer size, in bytes, applied to every patch file opened for reading or writing.
std::uint32_t PatchBufferBytes();

// Patches and patch items handed out and not yet released.
qm::LiveHandles<KDZPATCH>& LivePatches();
qm::LiveHandles<KDZITEM>& LiveItems();

}  // namespace patchlib
