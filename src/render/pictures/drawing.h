#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

namespace redten::assets {

// The table's palette and the two helpers every picture starts from.
inline const QColor kGold(232, 196, 104);
inline const QColor kDeepGold(176, 128, 40);

inline QImage Canvas(int w, int h, QColor fill) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
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
