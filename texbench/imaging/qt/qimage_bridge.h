// The bridges between IMAGEDATA and the pictures the screen shows, which are QImages here.
// The imaging core stays free of any UI library; only this file knows Qt.
#pragma once

#include <QImage>

#include "texbench/imaging/image_base.h"
#include "texbench/imaging/image_data.h"

// A screen bitmap of the picture (24-bit, right way up); a null QImage when the record is
// not valid.
QImage ImgToQImage(const IMAGEDATA* image);

// Replaces the record by the bitmap at the requested depth (4, 8 or 24; anything else takes
// the bitmap's own depth when that is 4, 8 or 24, else 24). Rows top-down, aligned to 32 bits.
bool ImgFromQImage(const QImage& bitmap, unsigned depth, IMAGEDATA* image);

// The image classes' screen-bitmap operations. They live here rather than in CImageBase so
// that the class family links no UI library: export to a temporary record and bridge it, or
// bridge into a temporary record and import it.
QImage ToQImage(CImageBase& image);
bool FromQImage(CImageBase& image, const QImage& bitmap, unsigned depth);
