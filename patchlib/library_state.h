// PatchLib's process-wide state: the patch stream buffer size and the handles it issued.
#pragma once

#include <cstdint>

#include "patchlib/patchlib.h"
#include "platform/file_identity.h"
#include "platform/live_handles.h"

namespace patchlib {

// The stream buffer size, in bytes, applied to every patch file opened for reading or writing.
std::uint32_t PatchBufferBytes();

// Patches and patch items handed out and not yet released.
qm::LiveHandles<KDZPATCH>& LivePatches();
qm::LiveHandles<KDZITEM>& LiveItems();

// The state on disk of the file a patch was read from, so that saving it back can refuse to
// overwrite a newer file someone else wrote meanwhile.
qm::HandleValues<KDZPATCH, qm::FileIdentity>& PatchFileStates();

}  // namespace patchlib
