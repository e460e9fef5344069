// PackLib's process-wide state, shared by its source files (not exported).
#pragma once

#include <cstdint>

#include "packlib/packlib.h"
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
qm::LiveHandles<FFLDB>& LiveDatabases();
qm::LiveHandles<FFLDBITEM>& LiveDatabaseItems();

}  // namespace packlib
