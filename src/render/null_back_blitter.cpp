#include "render/null_back_blitter.h"

#include "render/blit.h"

namespace redten {
namespace {

// White where the picture has (or lacks) the key colour, black elsewhere.
QImage MaskOf(const QImage& picture, QRgb key, bool whereKey) {
    QImage mask(picture.size(), QImage::Format_RGB32);
    mask.setDevicePixelRatio(picture.devicePixelRatio());
    const QRgb keyColour = key & 0xFFFFFF;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const bool isKey = (in[x] & 0xFFFFFF) == keyColour;
            out[x] = isKey == whereKey ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
    return mask;
}

}  // namespace

void clsPaintImageByNullBack::PictureBox_PaintImageByNullBack(QImage& picBack, const QImage& ShowImage,
                                                              QRgb lngShowImageBackColor, int lngDstX,
                                                              int lngDstY) {
    if (ShowImage.isNull() || picBack.isNull()) {
        return;
    }
    QImage picture = ShowImage.convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(ShowImage.devicePixelRatio());
    const QImage imageMask = MaskOf(picture, lngShowImageBackColor, false);
    const QImage backMask = MaskOf(picture, lngShowImageBackColor, true);
    QImage picTmp = picture;
    // The masks are made pixel for pixel from the picture, at its ratio;
    // the blits below place them in logical pixels.
    const int w = LogicalSize(picture).width();
    const int h = LogicalSize(picture).height();
    Blit(picTmp, 0, 0, w, h, imageMask, 0, 0, RasterOp::And);      // key colour to black
    Blit(picBack, lngDstX, lngDstY, w, h, backMask, 0, 0, RasterOp::And);  // a hole for the shape
    Blit(picBack, lngDstX, lngDstY, w, h, picTmp, 0, 0, RasterOp::Or);
}

}  // namespace redten
