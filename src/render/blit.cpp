#include "render/blit.h"

#include <algorithm>

namespace redten {

void Blit(QImage& dst, int dx, int dy, int w, int h, const QImage& src, int sx, int sy,
          RasterOp op) {
    if (dst.isNull() || src.isNull() || w <= 0 || h <= 0) {
        return;
    }
    if (dst.format() != QImage::Format_RGB32 && dst.format() != QImage::Format_ARGB32) {
        dst = dst.convertToFormat(QImage::Format_RGB32);
    }
    const QImage* from = &src;
    QImage converted;
    if (src.format() != QImage::Format_RGB32 && src.format() != QImage::Format_ARGB32) {
        converted = src.convertToFormat(QImage::Format_RGB32);
        from = &converted;
    }
    // Clip against the source, then the destination, moving both corners.
    const auto clip = [](int& pos, int& other, int& size, int limit) {
        if (pos < 0) {
            size += pos;
            other -= pos;
            pos = 0;
        }
        size = std::min(size, limit - pos);
    };
    clip(sx, dx, w, from->width());
    clip(sy, dy, h, from->height());
    clip(dx, sx, w, dst.width());
    clip(dy, sy, h, dst.height());
    if (w <= 0 || h <= 0) {
        return;
    }
    for (int row = 0; row < h; ++row) {
        const auto* s = reinterpret_cast<const QRgb*>(from->constScanLine(sy + row)) + sx;
        auto* d = reinterpret_cast<QRgb*>(dst.scanLine(dy + row)) + dx;
        switch (op) {
            case RasterOp::Copy:
                std::copy(s, s + w, d);
                break;
            case RasterOp::And:
                for (int i = 0; i < w; ++i) {
                    d[i] = (d[i] & s[i]) | 0xFF000000u;
                }
                break;
            case RasterOp::Or:
                for (int i = 0; i < w; ++i) {
                    d[i] = d[i] | s[i];
                }
                break;
            case RasterOp::NotCopy:
                for (int i = 0; i < w; ++i) {
                    d[i] = ~s[i] | 0xFF000000u;
                }
                break;
        }
    }
}

void BlitPicture(QImage& dst, int x, int y, int w, int h, const QImage& src, RasterOp op) {
    if (w == 0 || h == 0 || src.isNull()) {
        return;
    }
    const bool flipX = w < 0;
    const bool flipY = h < 0;
    const QImage picture = flipX || flipY ? src.mirrored(flipX, flipY) : src;
    const int width = std::abs(w);
    const int height = std::abs(h);
    const int left = flipX ? x - width + 1 : x;
    const int top = flipY ? y - height + 1 : y;
    // A mirrored picture is taken from its far end, so that the part drawn
    // is the same part, turned round.
    const int sx = flipX ? std::max(0, picture.width() - width) : 0;
    const int sy = flipY ? std::max(0, picture.height() - height) : 0;
    Blit(dst, left, top, width, height, picture, sx, sy, op);
}

void BlitMasked(QImage& dst, int x, int y, const QImage& mask, const QImage& picture) {
    if (!mask.isNull()) {
        Blit(dst, x, y, mask.width(), mask.height(), mask, 0, 0, RasterOp::And);
    }
    Blit(dst, x, y, picture.width(), picture.height(), picture, 0, 0, RasterOp::Or);
}

}  // namespace redten
