#include "render/blit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace redten {
namespace {

// The copy itself, in device pixels of both images.
void BlitPixels(QImage& dst, int dx, int dy, int w, int h, const QImage& src, int sx, int sy,
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

}  // namespace

int ToDevice(int logical, qreal ratio) {
    if (ratio == 1.0) {
        return logical;
    }
    const double d = std::round(static_cast<double>(logical) * ratio);  // halves away from zero
    return static_cast<int>(std::clamp(d, static_cast<double>(std::numeric_limits<int>::min() / 2),
                                       static_cast<double>(std::numeric_limits<int>::max() / 2)));
}

QRect DeviceRect(const QRect& logical, qreal ratio) {
    const int x = ToDevice(logical.x(), ratio);
    const int y = ToDevice(logical.y(), ratio);
    return QRect(x, y, ToDevice(logical.x() + logical.width(), ratio) - x,
                 ToDevice(logical.y() + logical.height(), ratio) - y);
}

QSize LogicalSize(const QImage& image) {
    const qreal r = image.devicePixelRatio();
    if (r == 1.0) {
        return image.size();
    }
    return QSize(static_cast<int>(std::lround(image.width() / r)),
                 static_cast<int>(std::lround(image.height() / r)));
}

QImage CopyLogical(const QImage& image, const QRect& part) {
    const qreal r = image.devicePixelRatio();
    QImage out = image.copy(DeviceRect(part, r));
    out.setDevicePixelRatio(r);
    return out;
}

QImage DeviceImage(QSize logical, qreal ratio, QImage::Format format) {
    QImage image(std::max(ToDevice(logical.width(), ratio), 1),
                 std::max(ToDevice(logical.height(), ratio), 1), format);
    image.setDevicePixelRatio(ratio);
    return image;
}

void Blit(QImage& dst, int dx, int dy, int w, int h, const QImage& src, int sx, int sy,
          RasterOp op) {
    if (dst.isNull() || src.isNull() || w <= 0 || h <= 0) {
        return;
    }
    const qreal rd = dst.devicePixelRatio();
    const qreal rs = src.devicePixelRatio();
    if (rd == 1.0 && rs == 1.0) {
        BlitPixels(dst, dx, dy, w, h, src, sx, sy, op);
        return;
    }
    // Both edges of the block are rounded, not its corner and size, so that
    // neighbouring blocks share their edge.
    const int x0 = ToDevice(dx, rd);
    const int y0 = ToDevice(dy, rd);
    const int x1 = ToDevice(dx + w, rd);
    const int y1 = ToDevice(dy + h, rd);
    if (rs == rd) {
        // At a fractional ratio the block here can be one pixel wider (or
        // taller) than the same block of the source, whose next pixel may
        // belong to another cell of a sheet, such as its mask: that last
        // pixel repeats the block's own edge instead.
        const int fx = ToDevice(sx, rs);
        const int fy = ToDevice(sy, rs);
        const int dw = x1 - x0;
        const int dh = y1 - y0;
        const int sw = std::min(dw, ToDevice(sx + w, rs) - fx);
        const int sh = std::min(dh, ToDevice(sy + h, rs) - fy);
        if (sw <= 0 || sh <= 0) {
            return;
        }
        BlitPixels(dst, x0, y0, sw, sh, src, fx, fy, op);
        for (int i = sw; i < dw; ++i) {
            BlitPixels(dst, x0 + i, y0, 1, sh, src, fx + sw - 1, fy, op);
        }
        for (int j = sh; j < dh; ++j) {
            BlitPixels(dst, x0, y0 + j, sw, 1, src, fx, fy + sh - 1, op);
            for (int i = sw; i < dw; ++i) {
                BlitPixels(dst, x0 + i, y0 + j, 1, 1, src, fx + sw - 1, fy + sh - 1, op);
            }
        }
        return;
    }
    // A picture drawn for another ratio: the part that lies inside it,
    // brought to the size it covers here.
    const QRect part = QRect(sx, sy, w, h).intersected(QRect(QPoint(0, 0), LogicalSize(src)));
    if (part.isEmpty()) {
        return;
    }
    const int px0 = ToDevice(dx + part.x() - sx, rd);
    const int py0 = ToDevice(dy + part.y() - sy, rd);
    const int pw = ToDevice(dx + part.right() + 1 - sx, rd) - px0;
    const int ph = ToDevice(dy + part.bottom() + 1 - sy, rd) - py0;
    if (pw <= 0 || ph <= 0 || pw > 1 << 14 || ph > 1 << 14) {
        return;
    }
    const QImage scaled =
        CopyLogical(src, part).scaled(pw, ph, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    BlitPixels(dst, px0, py0, pw, ph, scaled, 0, 0, op);
}

void BlitPicture(QImage& dst, int x, int y, int w, int h, const QImage& src, RasterOp op) {
    if (w == 0 || h == 0 || src.isNull()) {
        return;
    }
    const bool flipX = w < 0;
    const bool flipY = h < 0;
    QImage picture = flipX || flipY ? src.mirrored(flipX, flipY) : src;
    picture.setDevicePixelRatio(src.devicePixelRatio());
    const QSize size = LogicalSize(picture);
    const int width = std::abs(w);
    const int height = std::abs(h);
    const int left = flipX ? x - width + 1 : x;
    const int top = flipY ? y - height + 1 : y;
    // A mirrored picture is taken from its far end, so that the part drawn
    // is the same part, turned round.
    const int sx = flipX ? std::max(0, size.width() - width) : 0;
    const int sy = flipY ? std::max(0, size.height() - height) : 0;
    Blit(dst, left, top, width, height, picture, sx, sy, op);
}

void BlitMasked(QImage& dst, int x, int y, const QImage& mask, const QImage& picture) {
    if (!mask.isNull()) {
        const QSize m = LogicalSize(mask);
        Blit(dst, x, y, m.width(), m.height(), mask, 0, 0, RasterOp::And);
    }
    const QSize p = LogicalSize(picture);
    Blit(dst, x, y, p.width(), p.height(), picture, 0, 0, RasterOp::Or);
}

}  // namespace redten
