#include "render/bomb_animation.h"

#include "render/blit.h"
#include "render/null_back_blitter.h"

namespace redten {

BombAnimation::BombAnimation(const ClientContext& context, TableCanvas& canvas, const TableLayout& layout)
    : context_(context), canvas_(canvas), layout_(layout) {}

void BombAnimation::Play(std::uint8_t seat, std::uint8_t kind) {
    if (kind != 1 && kind != 2) {
        return;
    }
    const bool big = kind == 1;
    const int w = big ? 180 : 88;
    const int h = big ? 135 : 80;
    const int last = big ? 9 : 15;
    const QRgb key = big ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    const std::uint32_t delay = big ? 30 : 40;
    const std::string prefix = big ? "Res\\Bomb\\b1\\Blast0" : "Res\\Bomb\\b2\\Blast0";

    const std::uint8_t p = Place(seat & 3);
    const PixelPoint o = layout_.OutPaiPos[p];
    const int n = static_cast<int>(context_.game.udtUser[seat & 3].bteOutPai.size());
    const int rw = (n - 1) * PkStepX + PkWidth;
    const int x = p == 1 ? o.x + rw / 2 - w / 2 : p == 3 ? o.x - rw / 2 - w / 2 : o.x - w / 2;
    const int y = p == 0 || p == 2 ? (big ? o.y - 10 : o.y) : (big ? o.y - 60 : o.y - 40);

    if (onStarted) {
        onStarted();
    }
    QImage& s = canvas_.Surface();
    QImage saved = DeviceImage(QSize(w, h), s.devicePixelRatio());
    saved.fill(Qt::black);
    Blit(saved, 0, 0, w, h, s, x, y, RasterOp::Copy);
    clsPaintImageByNullBack blitter;
    for (int i = 1; i <= last; ++i) {
        const std::string name = prefix + (i < 10 ? "0" : "") + std::to_string(i) + ".jpg";
        const QImage* frame = canvas_.Images().App(name);
        if (!frame) {
            continue;  // a missing frame costs no time
        }
        Blit(s, x, y, w, h, saved, 0, 0, RasterOp::Copy);
        blitter.PictureBox_PaintImageByNullBack(s, *frame, key, x, y);
        canvas_.Update(x, y, w, h);
        if (waiter_ && !waiter_->WaitTime(delay)) {
            break;
        }
    }
    Blit(s, x, y, w, h, saved, 0, 0, RasterOp::Copy);
    canvas_.Update(x, y, w, h);
    if (onFinished) {
        onFinished();
    }
}

}  // namespace redten
