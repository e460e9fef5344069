// Where the preview control draws its picture: pure arithmetic, no Qt, so that it can be
// checked to the pixel.
#pragma once

namespace suite {

// The 2-pixel bump edge and the picture inside it, in client coordinates.
struct PreviewPlacement {
    int edgeX, edgeY, edgeW, edgeH;
    int pictureX, pictureY, pictureW, pictureH;

    friend bool operator==(const PreviewPlacement&, const PreviewPlacement&) = default;
};

// A picture too large for the client area less its edge, or any picture while zoomed, is
// scaled by the smaller of the two ratios (single precision, sizes cut to whole numbers);
// the edge is then centred, halves rounded down, and the picture stretched into it. No size
// comes out negative, however small the client area or the picture.
PreviewPlacement PlacePreview(int clientW, int clientH, int pictureW, int pictureH, bool zoom);

}  // namespace suite
