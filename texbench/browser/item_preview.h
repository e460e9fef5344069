// What the browser shows for a selected list row: the info line and, for a texture, the
// decoded picture that the dialog turns into a screen bitmap.
#pragma once

#include <string>

#include "packlib/packlib.h"
#include "suite/image_record.h"

namespace texbench {

struct ItemPreview {
    std::string infoLine;
    suite::ImageRecord picture;  // empty unless a texture was decoded
};

// fixBpp is the "Fix BPP" setting: above 0 the texture is described after decoding (depth
// 4, 8 or 16), otherwise before it (the stored plane count). A texture that cannot be decoded
// shows no picture and keeps "[no selection]", or the description taken before decoding. A
// sound is described only when its data has the "fmt " chunk where a WAV file keeps it.
ItemPreview PreviewItem(const FFLITEM* item, int fixBpp);

}  // namespace texbench
