// PackLib's process-wide state, shared by its source files (not exported).
#pragma once

#include <cstdint>

#include "packlib/packlib.h"
#include "platform/file_identity.h"
#include "platform/live_handles.h"

namespace packlib {

// The Fastfile directory computed once when the library was loaded: the game's directory
// followed by "fastfile" and a separator; "" when the game was not found.
const char* FastfileDirectory();

// Stream buffer sizes, in bytes.
std::uint32_t ArchiveBufferBytes();
std::uint32_t ParseBufferBytes();
std::uint32_t DatabaseBufferBytes();

// Handles issued and not yet released: a handle is valid exactly when it is in its set.
qm::LiveHandles<FFLARCHIVE>& LiveArchives();
qm::LiveHandles<FFLITEM>& LiveArchiveItems();
// The items that belong to an archive of the sound layout.
qm::LiveHandles<FFLITEM>& SoundArchiveItems();
qm::LiveHandles<FFLDB>& LiveDatabases();
qm::LiveHandles<FFLDBITEM>& LiveDatabaseItems();

// The state on disk of the file an archive or database was read from, so that saving it back
// can refuse to overwrite a newer file someone else wrote meanwhile.
qm::HandleValues<FFLARCHIVE, qm::FileIdentity>& ArchiveFileStates();
qm::HandleValues<FFLDB, qm::FileIdentity>& DatabaseFileStates();

}  // namespace packlib
