#pragma once

#include <QImage>

namespace redten::assets {

// The felt of the table: one flat colour with a faint weave, so that pieces
// drawn over it on their own grid never show a seam.
QColor Felt();
// Each picture is drawn at a scale (1, 1.5, 2…) for screens of that
// density; the sizes below are logical.
QImage ClothTile(qreal scale = 1.0);  // 32 × 32

QImage CentrePicture(qreal scale = 1.0);    // 244 × 247, GameBackMid
QImage VerticalEdge(qreal scale = 1.0);     // 7 × 16, the left and right rails
QImage HorizontalEdge(qreal scale = 1.0);   // 16 × 7, the top and bottom rails
QImage Corner(qreal scale = 1.0);           // 53 × 50, the top-right corner
QImage PassMark(qreal scale = 1.0);         // 134 × 34: "不出" at x 0, its mask at x 67
QImage LiangFlags(qreal scale = 1.0);       // 64 × 30: the flags of the ten of hearts and of diamonds
QImage ReadyHand(qreal scale = 1.0);        // 80 × 35
QImage Places(qreal scale = 1.0);           // 144 × 46: first, second and third place
QImage Face(int number, qreal scale = 1.0);   // 32 × 32 portrait
QImage NetBreak(qreal scale = 1.0);         // 32 × 32 connection-lost mark
QImage MessageIcon(int type, qreal scale = 1.0);  // 32 × 32

}  // namespace redten::assets
