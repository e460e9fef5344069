// How one patch item reads in the main list: its label, size text, kind and icon, and the keys
// the list sorts by.
#pragma once

#include <cstdint>
#include <string>

namespace patchbench {

enum class PatchItemKind { Image, Sound, Unknown };

// "LIST" at 0..3 with "ILBM" at 8..11 is an image, "RIFF" with "WAVE" a sound; fewer than 12
// bytes or no data at all is unknown.
PatchItemKind KindOfPatchData(const unsigned char* data, std::uint32_t size);

// "RIM Image", "PCM Wave" or "(unknown)".
const char* KindText(PatchItemKind kind);
// The icon in the editor's icon strip: 4 image, 5 sound, 6 unknown.
int KindIcon(PatchItemKind kind);

// "999 Bytes", "1.0 KByte", "1,234.5 KByte": whole tenths, never rounded up.
std::string SizeText(std::uint32_t size);

// The item's name; if empty, the part of its target path list after the last backslash (the
// whole list when it has none); if that is empty too, "untitled".
std::string RowLabel(const char* name, const char* targetPaths);

// What the Type column sorts by: "RIM", "PCM" or "(unknown)". A sound sorts as "PCM" only
// when its format chunk follows right after the header ("fmt " at 12..15).
std::string KindSortKey(const unsigned char* data, std::uint32_t size);

}  // namespace patchbench
