// The image readers and writers fftool passes to the texture pipeline: Qt's where fftool is
// built with Qt (PNG, and the BMP and TGA files the suite's own classes refuse), none in the
// Windows build.
#pragma once

#include "suite/texture_pipeline.h"

namespace fftool {

// Null when fftool is built without Qt.
suite::PictureCodec* PictureCodecOrNull();

// The picture file formats --format and file names may name, for messages.
const char* PictureFormatNames();

}  // namespace fftool
