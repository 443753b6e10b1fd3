#pragma once

#include <QImage>

namespace redten::assets {

// Cards are 80 × 105. A face is black outside the card's outline, and the
// mask is black inside it and white outside: drawn with AND then OR, a
// card covers exactly its outline.
inline constexpr int kCardWidth = 80;
inline constexpr int kCardHeight = 105;

// The face of picture number n: suit n / 13 (0 and 3 red), face value
// n % 13 + 1 (ace 1 … king 13).
// Each is drawn at a scale (1, 1.5, 2…) for screens of that density.
QImage CardFace(int n, qreal scale = 1.0);
QImage CardMask(qreal scale = 1.0);
QImage CardBack(qreal scale = 1.0);

}  // namespace redten::assets
