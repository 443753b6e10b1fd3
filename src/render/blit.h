#pragma once

#include <QImage>

namespace redten {

// How source pixels combine with the destination: copied, ANDed (a mask
// clears what it is black on), ORed (a picture fills what the mask
// cleared), or copied inverted.
enum class RasterOp { Copy, And, Or, NotCopy };

// Combines the w × h block of src at (sx, sy) into dst at (dx, dy), row by
// row on 32-bit pixels. Both ends are clipped: nothing outside either image
// is read or written. src is converted to 32 bits when it is not.
void Blit(QImage& dst, int dx, int dy, int w, int h, const QImage& src, int sx, int sy,
          RasterOp op);

// Draws all of src at (x, y). A negative width (height) mirrors the picture
// left to right (top to bottom), and x (y) is then its right (bottom) end.
void BlitPicture(QImage& dst, int x, int y, int w, int h, const QImage& src, RasterOp op);

// A card or any masked picture: the mask ANDed, then the picture ORed.
void BlitMasked(QImage& dst, int x, int y, const QImage& mask, const QImage& picture);

}  // namespace redten
