// The platform's image readers and writers (Qt's, with the image-format plugins) as the texture
// pipeline's fallback: they read the pictures the suite's own classes refuse and PNG, and
// write PNG. Only QtGui is needed, no widgets, so fftool uses it too.
#pragma once

#include "suite/texture_pipeline.h"

namespace suite {

class QtPictureCodec : public PictureCodec {
  public:
    bool Read(const std::string& file, PictureFormat format, Picture& picture,
              std::optional<std::uint32_t> preferredTransparent) override;
    bool Write(const IMAGEDATA& image, const std::string& file, PictureFormat format) override;
    std::optional<std::vector<std::uint8_t>> Encode(const IMAGEDATA& image,
                                                    PictureFormat format) override;
};

}  // namespace suite
