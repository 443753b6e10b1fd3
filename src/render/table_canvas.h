#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>

#include <string>

#include "render/game_area.h"
#include "render/image_store.h"

namespace redten {

// The text font of the table: sizes are points at 96 dots an inch, as the
// table was laid out.
QFont TableFont(int points, bool bold, const char* face = "宋体");

// The game area's picture and the few strokes every painter of the table
// draws with: the cloth and the centre picture under everything, text, and
// the masked cells of the button and panel sheets.
class TableCanvas {
public:
    TableCanvas(GameArea& area, ImageStore& images);

    QImage& Surface() { return area_.Surface(); }
    const QImage& Surface() const { return area_.Surface(); }
    ImageStore& Images() { return images_; }
    GameArea& Area() { return area_; }
    const QImage& Cloth() const { return cloth_; }
    // The area's size in the logical pixels every painter draws in.
    int Width() const;
    int Height() const;
    // Follows the area's device pixel ratio: the pictures and the cloth
    // are taken for it. Called before a full repaint.
    void SyncRatio();


    // The whole centre picture, centred in the area.
    void PaintGameBackMid();

    // Text with its top-left at (x, y); the box it took.
    QRect PrintText(int x, int y, const std::string& text, QColor colour, int points, bool bold,
                    const char* face = "宋体");
    // A cell of a sheet drawn through its mask (AND, then OR); mirrored, x
    // is its right end.
    void BlitMaskedCell(const QImage& sheet, int cellX, int maskX, int w, int h, int x, int y,
                        bool mirrored = false);

private:
    GameArea& area_;
    ImageStore& images_;
    QImage cloth_;
};

}  // namespace redten
