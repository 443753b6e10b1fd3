#pragma once

#include <QImage>
#include <QRect>

namespace redten {

// How source pixels combine with the destination: copied, ANDed (a mask
// clears what it is black on), ORed (a picture fills what the mask
// cleared), or copied inverted.
enum class RasterOp { Copy, And, Or, NotCopy };

// Every position and size below is in logical pixels, the ones the table's
// layout is given in. An image keeps its device pixel ratio: at 2 a 80 × 105
// card is 160 × 210 pixels, and a blit to (10, 10) lands at (20, 20) of the
// destination. Edges go to the nearest device pixel (halves away from
// zero), the same rounding for every piece, so that pieces laid side by
// side meet without a gap or an overlap at any ratio.
int ToDevice(int logical, qreal ratio);
// A logical rectangle in device pixels, its edges rounded as above.
QRect DeviceRect(const QRect& logical, qreal ratio);
// The logical size of an image: its pixels over its ratio, to the nearest.
QSize LogicalSize(const QImage& image);
// A part of an image given in logical pixels, keeping its ratio.
QImage CopyLogical(const QImage& image, const QRect& part);
// A blank image of a logical size at a ratio.
QImage DeviceImage(QSize logical, qreal ratio, QImage::Format format = QImage::Format_RGB32);

// Combines the w × h block of src at (sx, sy) into dst at (dx, dy), row by
// row on 32-bit pixels. Both ends are clipped: nothing outside either image
// is read or written. src is converted to 32 bits when it is not, and to
// dst's ratio when its own differs (nearest pixel, so that a mask and its
// picture still agree).
void Blit(QImage& dst, int dx, int dy, int w, int h, const QImage& src, int sx, int sy,
          RasterOp op);

// Draws all of src at (x, y). A negative width (height) mirrors the picture
// left to right (top to bottom), and x (y) is then its right (bottom) end.
void BlitPicture(QImage& dst, int x, int y, int w, int h, const QImage& src, RasterOp op);

// A card or any masked picture: the mask ANDed, then the picture ORed.
void BlitMasked(QImage& dst, int x, int y, const QImage& mask, const QImage& picture);

}  // namespace redten
