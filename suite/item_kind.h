// The kind of a Fastfile item, told from the first twelve bytes of its data.
#pragma once

#include <cstdint>

#include "packlib/packlib.h"

namespace suite {

enum class ItemKind { Image, Sound, Other };

// "LIST" at 0..3 with "ILBM" at 8..11 is a texture, "RIFF" with "WAVE" a sound; anything
// else, including fewer than 12 bytes or no data at all, is Other.
ItemKind KindOfData(const unsigned char* data, std::uint32_t size);

// Reads the item record's own data fields; a null item or one without data is Other.
ItemKind KindOfItem(const FFLITEM* item);

// The kind of the archive's first item; Other for a null archive or one without items.
// File dialogs and the mixing checks go by this, whatever item is selected.
ItemKind KindOfArchive(const FFLARCHIVE* archive);

}  // namespace suite
