#pragma once

#include <QImage>

namespace redten::assets {

// The felt of the table: one flat colour with a faint weave, so that pieces
// drawn over it on their own grid never show a seam.
QColor Felt();
QImage ClothTile();  // 32 × 32

QImage CentrePicture();    // 244 × 247, GameBackMid
QImage VerticalEdge();     // 7 × 16, the left and right rails
QImage HorizontalEdge();   // 16 × 7, the top and bottom rails
QImage Corner();           // 53 × 50, the top-right corner
QImage PassMark();         // 134 × 34: "不出" at x 0, its mask at x 67
QImage LiangFlags();       // 64 × 30: the flags of the ten of hearts and of diamonds
QImage ReadyHand();        // 80 × 35
QImage Places();           // 144 × 46: first, second and third place
QImage Face(int number);   // 32 × 32 portrait
QImage NetBreak();         // 32 × 32 connection-lost mark
QImage MessageIcon(int type);  // 32 × 32

}  // namespace redten::assets
