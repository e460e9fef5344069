#include "tools/fftool/picture_codec.h"

#if QM_FFTOOL_QT_PICTURES
#include "suite/qt/qt_picture_codec.h"
#endif

namespace fftool {

suite::PictureCodec* PictureCodecOrNull() {
#if QM_FFTOOL_QT_PICTURES
    // Stateless: one for the whole run.
    static suite::QtPictureCodec codec;
    return &codec;
#else
    return nullptr;
#endif
}

const char* PictureFormatNames() {
    return PictureCodecOrNull() != nullptr ? ".iff, .bmp, .dib, .tga or .png"
                                           : ".iff, .bmp, .dib or .tga";
}

}  // namespace fftool
