#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <algorithm>

namespace redten::assets {

// The table's palette and the two helpers every picture starts from.
inline const QColor kGold(232, 196, 104);
inline const QColor kDeepGold(176, 128, 40);

// Every picture is drawn in its logical size; at a scale above 1 the image
// has that many more pixels and carries the scale as its device pixel
// ratio, so the same painting code fills the finer grid. Sizes round as
// positions do on the table: halves away from zero.
inline int Scaled(int logical, qreal scale) { return qRound(logical * scale); }

inline QImage Canvas(int w, int h, QColor fill, qreal scale = 1.0,
                     QImage::Format format = QImage::Format_RGB32) {
    QImage image(Scaled(w, scale), Scaled(h, scale), format);
    image.setDevicePixelRatio(scale);
    image.fill(fill);
    return image;
}

// One logical pixel (x, y) set to a colour: at a scale, the block of device
// pixels it covers.
inline void Dot(QImage& image, int x, int y, QRgb colour) {
    const qreal s = image.devicePixelRatio();
    if (s == 1.0) {
        image.setPixel(x, y, colour);
        return;
    }
    const int x1 = std::min(Scaled(x + 1, s), image.width());
    const int y1 = std::min(Scaled(y + 1, s), image.height());
    for (int dy = Scaled(y, s); dy < y1; ++dy) {
        for (int dx = Scaled(x, s); dx < x1; ++dx) {
            image.setPixel(dx, dy, colour);
        }
    }
}

inline QFont Font(int pixels, bool bold,
                  const QString& family = QStringLiteral("WenQuanYi Zen Hei")) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace redten::assets
