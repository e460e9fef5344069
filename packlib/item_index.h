// A private index beside each archive's item list, so that a run of adds and lookups does not
// walk the list each time: the list's tail, and the first item of each path and of each name
// part, keyed by the path folded the way FFLFindItem compares (ASCII letters only).
// The list stays the truth. Callers read the records directly, so before it is used the index
// is checked against the list (first item, count, a live tail without a successor, no rename
// since it was built) and rebuilt from the list when anything disagrees.
#pragma once

#include "packlib/packlib.h"

namespace packlib {

// The last item of the list (null when empty), from the index when it can be trusted.
FFLITEM* LastItem(FFLARCHIVE* archive);
// Records an item the caller has just linked after the last one and counted.
void NoteAppended(FFLARCHIVE* archive, FFLITEM* item);
// Records that `item`, which follows `previous` (null for the first), is about to be unlinked
// and uncounted.
void NoteRemoving(FFLARCHIVE* archive, FFLITEM* item, FFLITEM* previous);
// An item path changed: every index is rebuilt before it is used again.
void NotePathChanged();
// The archive is being released.
void ForgetIndex(const FFLARCHIVE* archive);

// The first item in list order whose path (or, with nameOnly, whose part after the last
// backslash) equals `name` ignoring the case of A to Z; null when none.
FFLITEM* FindFirstItem(FFLARCHIVE* archive, const char* name, bool nameOnly);

}  // namespace packlib
