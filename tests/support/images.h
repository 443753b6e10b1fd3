#pragma once

#include <QImage>

namespace redten::test {

// A 32-bit picture of one colour.
inline QImage Filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

}  // namespace redten::test
