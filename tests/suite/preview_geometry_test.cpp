#include "suite/preview_geometry.h"

#include <gtest/gtest.h>

#include <string>

namespace suite {

// Lets a failed comparison show both placements.
void PrintTo(const PreviewPlacement& p, std::ostream* os) {
    *os << "edge " << p.edgeX << "," << p.edgeY << " " << p.edgeW << "x" << p.edgeH << ", picture "
        << p.pictureX << "," << p.pictureY << " " << p.pictureW << "x" << p.pictureH;
}

namespace {

struct PlacementCase {
    const char* name;
    int clientW, clientH, pictureW, pictureH;
    bool zoom;
    PreviewPlacement expected;
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
    *os << c.name;
}

class PlacePreviewTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlacePreviewTest, EdgeAndPicture) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(PlacePreview(c.clientW, c.clientH, c.pictureW, c.pictureH, c.zoom), c.expected);
}

// 228 x 208 is the control's 152 x 128 dialog units with the classic 6 x 13 base units of an
// 8-point dialog font.
INSTANTIATE_TEST_SUITE_P(
    Cases, PlacePreviewTest,
    testing::Values(
        // A small picture keeps its size, centred in its 2-pixel edge.
        PlacementCase{"SmallCentred", 300, 200, 40, 30, false, {128, 83, 44, 34, 130, 85, 40, 30}},
        PlacementCase{
            "SmallCentredDialogSize", 228, 208, 40, 30, false, {92, 87, 44, 34, 94, 89, 40, 30}},
        // Zoomed: min(296 / 40, 196 / 30) = 6.5333; 261.33 x 196 cut to 261 x 196; the odd
        // 39 pixels left over are halved down, so the picture is stretched one pixel wider.
        PlacementCase{
            "ZoomedHeightBound", 300, 200, 40, 30, true, {17, 0, 266, 200, 19, 2, 262, 196}},
        // min(224 / 40, 204 / 30) = 5.6 gives 224 x 168: the edge fills the width.
        PlacementCase{"ZoomedWidthBoundDialogSize",
                      228,
                      208,
                      40,
                      30,
                      true,
                      {0, 18, 228, 172, 2, 20, 224, 168}},
        // One pixel narrower than the room is not scaled, but the odd difference of 5
        // stretches it to the room all the same.
        PlacementCase{
            "OneBelowRoom", 300, 200, 295, 100, false, {0, 48, 300, 104, 2, 50, 296, 100}},
        PlacementCase{
            "ExactlyRoomWide", 300, 200, 296, 100, false, {0, 48, 300, 104, 2, 50, 296, 100}},
        // Wider than the room: scaled even unzoomed; 151 high shrinks to 150 (unscaled it
        // would have been drawn 152 high).
        PlacementCase{
            "WiderThanRoomScaled", 300, 200, 297, 151, false, {0, 23, 300, 154, 2, 25, 296, 150}},
        PlacementCase{
            "TallAsRoomScaled", 300, 200, 40, 196, false, {128, 0, 44, 200, 130, 2, 40, 196}},
        // 1000 x 10 at 0.296 is 296 x 2.96, cut to 296 x 2.
        PlacementCase{"VeryWide", 300, 200, 1000, 10, false, {0, 97, 300, 6, 2, 99, 296, 2}},
        // 10 x 1000 at 0.196 is 1.96 x 196, cut to 1 x 196, the odd 299 stretches it to 2.
        PlacementCase{"VeryTall", 300, 200, 10, 1000, false, {147, 0, 6, 200, 149, 2, 2, 196}},
        PlacementCase{"OddDifferencesRoundedDown",
                      300,
                      200,
                      41,
                      31,
                      false,
                      {127, 82, 46, 36, 129, 84, 42, 32}},
        // Single precision decides: 21 x (97 / 21) is exactly 97 in float, 96.99... in double;
        // 41 x (97 / 41) is 96.99... in float, 97 in double.
        PlacementCase{
            "SinglePrecisionUp", 101, 200, 21, 21, true, {0, 49, 101, 102, 2, 51, 97, 98}},
        PlacementCase{
            "SinglePrecisionDown", 101, 200, 41, 41, true, {0, 50, 101, 100, 2, 52, 97, 96}},
        // Degenerate sizes give no negative sizes.
        PlacementCase{"ClientSmallerThanEdges", 3, 3, 40, 30, false, {0, 0, 3, 3, 2, 2, 0, 0}},
        PlacementCase{"EmptyPicture", 300, 200, 0, 0, true, {148, 98, 4, 4, 150, 100, 0, 0}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

TEST(PlacePreview, ZoomDoesNotChangeAPictureThatFillsTheRoomAlready) {
    // Scaled either way: the zoom flag makes no difference once the picture is too large.
    EXPECT_EQ(PlacePreview(300, 200, 1000, 10, true), PlacePreview(300, 200, 1000, 10, false));
}

TEST(PlacePreview, ZoomedPictureAlwaysFitsInsideTheClient) {
    for (int w = 1; w <= 64; w += 7) {
        for (int h = 1; h <= 64; h += 5) {
            const PreviewPlacement p = PlacePreview(228, 208, w, h, true);
            EXPECT_GE(p.edgeX, 0) << w << "x" << h;
            EXPECT_GE(p.edgeY, 0) << w << "x" << h;
            EXPECT_LE(p.edgeX + p.edgeW, 228) << w << "x" << h;
            EXPECT_LE(p.edgeY + p.edgeH, 208) << w << "x" << h;
            // One side touches the room: the edge fills that direction up to a pixel.
            EXPECT_TRUE(p.edgeW >= 227 || p.edgeH >= 207) << w << "x" << h;
        }
    }
}

}  // namespace
}  // namespace suite
