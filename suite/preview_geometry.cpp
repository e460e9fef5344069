#include "suite/preview_geometry.h"

#include <algorithm>

namespace suite {
namespace {

constexpr int kEdge = 2;       // width of the bump edge on each side
constexpr int kBothEdges = 4;  // both edges together

struct DrawnSize {
    int w;
    int h;
};

DrawnSize DrawnPictureSize(int clientW, int clientH, int pictureW, int pictureH, bool zoom) {
    if (pictureW <= 0 || pictureH <= 0) {
        return {0, 0};  // nothing to scale; a ratio by zero would be meaningless
    }
    const int roomW = clientW - kBothEdges;
    const int roomH = clientH - kBothEdges;
    if (pictureW < roomW && pictureH < roomH && !zoom) {
        return {pictureW, pictureH};
    }
    // Single precision on purpose: the drawn size must come out as it always has, to the pixel.
    const float scale = std::min(static_cast<float>(roomW) / static_cast<float>(pictureW),
                                 static_cast<float>(roomH) / static_cast<float>(pictureH));
    const float drawnW = static_cast<float>(pictureW) * scale;
    const float drawnH = static_cast<float>(pictureH) * scale;
    return {std::max(0, static_cast<int>(drawnW)), std::max(0, static_cast<int>(drawnH))};
}

// How far the edge rectangle stands in from each side of the client area along one axis.
int Inset(int client, int drawn) {
    return std::max(client - drawn, kBothEdges) / 2 - kEdge;
}

}  // namespace

PreviewPlacement PlacePreview(int clientW, int clientH, int pictureW, int pictureH, bool zoom) {
    const DrawnSize drawn = DrawnPictureSize(clientW, clientH, pictureW, pictureH, zoom);
    const int insetX = Inset(clientW, drawn.w);
    const int insetY = Inset(clientH, drawn.h);

    PreviewPlacement placement{};
    placement.edgeX = insetX;
    placement.edgeY = insetY;
    placement.edgeW = std::max(0, clientW - 2 * insetX);
    placement.edgeH = std::max(0, clientH - 2 * insetY);
    placement.pictureX = insetX + kEdge;
    placement.pictureY = insetY + kEdge;
    placement.pictureW = std::max(0, placement.edgeW - kBothEdges);
    placement.pictureH = std::max(0, placement.edgeH - kBothEdges);
    return placement;
}

}  // namespace suite
