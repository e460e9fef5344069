// The bridges between IMAGEDATA and QImage.
#include <gtest/gtest.h>

#include <cstdlib>

#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/qt/qimage_bridge.h"

namespace {

TEST(QImageBridge, BottomUpIndexedPicturesShowTheRightWayUp) {
    IMAGEDATA image{};
    image.header = {2, 2, 8, 8, kOrientationBottomUp, 0, 0, 0, 0};
    image.lpPalette = ImgCreatePalette(8, false);
    image.dwPaletteEntries = 256;
    image.lpPalette[1 * 3 + 2] = 255;  // entry 1 red
    image.lpPalette[2 * 3 + 0] = 255;  // entry 2 blue
    image.dwPixelBytes = 4;
    image.lpPixels = static_cast<std::uint8_t*>(std::calloc(1, 4));
    image.lpPixels[0] = 1;  // stored first: the bottom row
    image.lpPixels[3] = 2;  // stored last: the top row, right
    const QImage bitmap = ImgToQImage(&image);
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_EQ(bitmap.pixelColor(0, 1), QColor(255, 0, 0));
    EXPECT_EQ(bitmap.pixelColor(1, 0), QColor(0, 0, 255));
    EXPECT_EQ(bitmap.pixelColor(0, 0), QColor(0, 0, 0));
    ImgFree(&image);
    EXPECT_TRUE(ImgToQImage(&image).isNull());
}

TEST(QImageBridge, BitmapsComeBackAtTheRequestedDepth) {
    QImage bitmap(5, 3, QImage::Format_RGB32);
    bitmap.fill(QColor(10, 20, 30));
    bitmap.setPixelColor(4, 2, QColor(200, 100, 50));
    for (unsigned depth : {4u, 8u, 24u, 0u}) {
        IMAGEDATA image{};
        ASSERT_TRUE(ImgFromQImage(bitmap, depth, &image)) << depth;
        EXPECT_EQ(image.header.bDepth, depth == 0 ? 24 : depth);
        EXPECT_TRUE(ImgValidate(&image));
        const QImage back = ImgToQImage(&image);
        EXPECT_EQ(back.pixelColor(4, 2), QColor(200, 100, 50)) << depth;
        EXPECT_EQ(back.pixelColor(0, 0), QColor(10, 20, 30)) << depth;
        ImgFree(&image);
    }
    IMAGEDATA image{};
    EXPECT_FALSE(ImgFromQImage(QImage(), 24, &image));
}

TEST(QImageBridge, ImageClassesGoThroughTheirOwnRecords) {
    QImage bitmap(3, 2, QImage::Format_RGB32);
    bitmap.fill(QColor(1, 2, 3));
    bitmap.setPixelColor(2, 1, QColor(250, 0, 9));
    CBmpImage bmp;
    EXPECT_TRUE(ToQImage(bmp).isNull());  // an empty image has nothing to show
    ASSERT_TRUE(FromQImage(bmp, bitmap, 8));
    EXPECT_EQ(bmp.GetDepth(), 8u);
    EXPECT_EQ(bmp.GetWidth(), 3u);
    const QImage back = ToQImage(bmp);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.pixelColor(2, 1), QColor(250, 0, 9));
    EXPECT_EQ(back.pixelColor(0, 0), QColor(1, 2, 3));
    EXPECT_FALSE(FromQImage(bmp, QImage(), 8));
}

}  // namespace
