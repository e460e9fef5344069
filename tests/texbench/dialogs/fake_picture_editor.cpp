// A stand-in for the user's picture editor: repaints the PNG it is given in three upright
// bands of red, green and blue and saves it as editors do, into a new file renamed over the
// old one.
#include <QImage>
#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QImage image(path);
    if (image.isNull()) {
        return 1;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    const QRgb bands[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, bands[x * 3 / image.width()]);
        }
    }
    const QString part = path + QStringLiteral(".part");
    if (!image.save(part, "PNG")) {
        return 1;
    }
    return std::rename(part.toLocal8Bit().constData(), argv[1]) == 0 ? 0 : 1;
}
