#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace redten::assets {

// The clock, the buttons, the panels, the window frame and the splitter.
// Each is drawn at a scale (1, 1.5, 2…) for screens of that density; the
// sizes below are logical.
QImage TimeBarHead(qreal scale = 1.0);      // 52 × 36
QImage TimeBarEnd(qreal scale = 1.0);       // 12 × 36
QImage ClockFrames(qreal scale = 1.0);      // 279 × 38: eight frames of 31 × 38, then their mask
QImage OptionButtons(qreal scale = 1.0);    // 176 × 24: sort, previous trick; normal then lit
QImage OutButtons(qreal scale = 1.0);       // 427 × 28: play, pass, hint; normal, lit, then the mask
QImage LiangButtons(qreal scale = 1.0);     // 270 × 20: normal, lit, mask
QImage MessageMiddle(qreal scale = 1.0);    // 6 × 51
QImage MessageEdge(qreal scale = 1.0);      // 36 × 51: edge, mask
QImage PanelFrame(qreal scale = 1.0);       // 126 × 28: seven slices of 18 × 28
QImage CaptionMiddle(qreal scale = 1.0);    // 12 × 31
QImage CaptionEnd(qreal scale = 1.0);       // 15 × 31
QImage SystemButtons(qreal scale = 1.0);    // 168 × 21: minimise, maximise, restore, close; then lit
QImage UserButtons(qreal scale = 1.0);      // 164 × 25: settings, help; then lit
QImage SplitterBack(qreal scale = 1.0);     // 12 × 3
QImage SplitterMiddle(qreal scale = 1.0);   // 12 × 3
QImage SplitterArrow(bool pointsRight, qreal scale = 1.0);  // 12 × 9
QImage Logo(qreal scale = 1.0);             // 32 × 32, the window's icon

// A blast frame on its key colour: kind 1 (9 frames, 180 × 135, on black)
// or kind 2 (15 frames, 88 × 80, on white).
QImage BlastFrame(int kind, int frame, qreal scale = 1.0);

// A short sound, as a 16-bit mono wave file.
QByteArray Sound(int number);
QString SoundFile(int number);

}  // namespace redten::assets
