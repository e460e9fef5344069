// Owns one IMAGEDATA record and frees its blocks with ImgFree when it goes.
#pragma once

#include "texbench/imaging/image_data.h"

namespace suite {

class ImageRecord {
  public:
    ImageRecord() = default;
    ~ImageRecord() { ImgFree(&image_); }
    ImageRecord(ImageRecord&& other) noexcept : image_(other.image_) { other.image_ = {}; }
    ImageRecord& operator=(ImageRecord&& other) noexcept {
        if (this != &other) {
            ImgFree(&image_);
            image_ = other.image_;
            other.image_ = {};
        }
        return *this;
    }
    ImageRecord(const ImageRecord&) = delete;
    ImageRecord& operator=(const ImageRecord&) = delete;

    IMAGEDATA* Get() { return &image_; }
    const IMAGEDATA* Get() const { return &image_; }
    bool Empty() const { return image_.lpPixels == nullptr; }

  private:
    IMAGEDATA image_{};
};

}  // namespace suite
