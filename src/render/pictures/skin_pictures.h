#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace redten::assets {

// The clock, the buttons, the panels, the window frame and the splitter.
QImage TimeBarHead();      // 52 × 36
QImage TimeBarEnd();       // 12 × 36
QImage ClockFrames();      // 279 × 38: eight frames of 31 × 38, then their mask
QImage OptionButtons();    // 176 × 24: sort, previous trick; normal then lit
QImage OutButtons();       // 427 × 28: play, pass, hint; normal, lit, then the mask
QImage LiangButtons();     // 270 × 20: normal, lit, mask
QImage MessageMiddle();    // 6 × 51
QImage MessageEdge();      // 36 × 51: edge, mask
QImage PanelFrame();       // 126 × 28: seven slices of 18 × 28
QImage CaptionMiddle();    // 12 × 31
QImage CaptionEnd();       // 15 × 31
QImage SystemButtons();    // 168 × 21: minimise, maximise, restore, close; then lit
QImage UserButtons();      // 164 × 25: settings, help; then lit
QImage SplitterBack();     // 12 × 3
QImage SplitterMiddle();   // 12 × 3
QImage SplitterArrow(bool pointsRight);  // 12 × 9
QImage Logo();             // 32 × 32, the window's icon

// A blast frame on its key colour: kind 1 (9 frames, 180 × 135, on black)
// or kind 2 (15 frames, 88 × 80, on white).
QImage BlastFrame(int kind, int frame);

// A short sound, as a 16-bit mono wave file.
QByteArray Sound(int number);
QString SoundFile(int number);

}  // namespace redten::assets
