#include "render/blast_painter.h"

#include "render/null_back_blitter.h"

namespace redten {

BlastPainter::BlastPainter(const ClientContext& context, TableCanvas& canvas, const TableLayout& layout)
    : context_(context), canvas_(canvas), layout_(layout) {}

void BlastPainter::Paint(std::uint8_t seat, Blast blast, int frame) {
    if (blast == Blast::None || frame < 1 || frame > BlastFrames(blast)) {
        return;
    }
    const bool big = blast == Blast::Bomb;
    const int w = big ? 180 : 88;
    const QRgb key = big ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    const std::string prefix = big ? "Res\\Bomb\\b1\\Blast0" : "Res\\Bomb\\b2\\Blast0";
    const QImage* picture = canvas_.Images().App(prefix + (frame < 10 ? "0" : "") + std::to_string(frame) + ".jpg");
    if (!picture) {
        return;
    }
    // Centred on the seat's played cards, which stand out from its side.
    const std::uint8_t p = context_.define.ViewPos[seat & 3] & 3;
    const PixelPoint o = layout_.OutPaiPos[p];
    const int n = static_cast<int>(context_.game.udtUser[seat & 3].bteOutPai.size());
    const int rw = (n - 1) * PkStepX + PkWidth;
    const int x = p == 1 ? o.x + rw / 2 - w / 2 : p == 3 ? o.x - rw / 2 - w / 2 : o.x - w / 2;
    const int y = p == 0 || p == 2 ? (big ? o.y - 10 : o.y) : (big ? o.y - 60 : o.y - 40);
    clsPaintImageByNullBack blitter;
    blitter.PictureBox_PaintImageByNullBack(canvas_.Surface(), *picture, key, x, y);
}

}  // namespace redten
