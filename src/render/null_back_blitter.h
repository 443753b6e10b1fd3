#pragma once

#include <QImage>
#include <QRgb>

namespace redten {

// Draws a picture whose pixels of one key colour are to let the destination
// show through: an image mask (white where the picture is) cuts the key
// colour out of the picture, a destination mask (white where the key colour
// is) cuts the picture's shape out of the destination, and an OR joins them.
// The key colour is matched exactly; nothing is kept between paints.
class clsPaintImageByNullBack {
public:
    void PictureBox_PaintImageByNullBack(QImage& picBack, const QImage& ShowImage,
                                         QRgb lngShowImageBackColor, int lngDstX, int lngDstY);
    // The same onto a window's surface; both are images here.
    void Form_PaintImageByNullBack(QImage& FormBack, const QImage& ShowImage,
                                   QRgb lngShowImageBackColor, int lngDstX, int lngDstY) {
        PictureBox_PaintImageByNullBack(FormBack, ShowImage, lngShowImageBackColor, lngDstX, lngDstY);
    }
};

}  // namespace redten
