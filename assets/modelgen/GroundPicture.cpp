#include "GroundPicture.h"

#include <cstdlib>

QImage PaintGroundPicture() {
    constexpr int size = 512;
    constexpr int spacing = 32;
    const QRgb mat = qRgb(246, 247, 244);
    const QRgb grid = qRgb(224, 228, 222);
    const QRgb strong = qRgb(216, 220, 214);

    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Two-pixel lines on the grid; the outer ones and the two through
            // the centre are a little stronger.
            const bool border = x < 4 || y < 4 || x >= size - 4 || y >= size - 4;
            const bool centre = std::abs(2 * x + 1 - size) <= 3 || std::abs(2 * y + 1 - size) <= 3;
            const bool line = (x + 1) % spacing < 2 || (y + 1) % spacing < 2;
            image.setPixel(x, y, border || centre ? strong : line ? grid : mat);
        }
    }
    return image;
}
