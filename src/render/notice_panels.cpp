#include "render/notice_panels.h"

#include <QFontMetrics>
#include <QPainter>

#include "render/blit.h"

namespace redten {

NoticePanels::NoticePanels(const ClientContext& context, TableCanvas& canvas)
    : context_(context), canvas_(canvas) {}

void NoticePanels::PaintWaitMsg() {
    const int x0 = (canvas_.Width() - 250) / 2;
    const int y0 = (canvas_.Height() - 51) / 2 - 20;
    if (const QImage* middle = canvas_.Images().App("Res\\MsgMid.bmp")) {
        const QSize size = LogicalSize(*middle);
        for (int i = 0; i < 250 / 6; ++i) {
            Blit(canvas_.Surface(), x0 + 4 + i * 6, y0, size.width(), size.height(), *middle, 0, 0,
                 RasterOp::Copy);
        }
    }
    if (const QImage* edge = canvas_.Images().App("Res\\MsgBian.bmp")) {
        canvas_.BlitMaskedCell(*edge, 0, 18, 18, 51, x0, y0 - 5);
        canvas_.BlitMaskedCell(*edge, 0, 18, 18, 51, x0 + 250 + 18 - 2, y0 - 5, true);
    }
    canvas_.PrintText(x0 + 18 + 30, y0 + 11, "其他玩家正在亮红10，请稍等...", Qt::black, 9, false);
}

void NoticePanels::PaintMsgFrame(int x, int y, int width, int height) {
    QImage& s = canvas_.Surface();
    const int r = x + width;
    const int b = y + height;
    {
        QPainter p(&s);
        p.fillRect(QRect(QPoint(x + 18, y + 28), QPoint(r - 18, b - 28)), QColor(247, 207, 156));
    }
    const QImage* sheet = canvas_.Images().App("Res\\ModeMsg.bmp");
    if (!sheet) {
        return;
    }
    canvas_.BlitMaskedCell(*sheet, 0, 18, 18, 28, x, y);
    canvas_.BlitMaskedCell(*sheet, 0, 18, 18, 28, r, y, true);
    canvas_.BlitMaskedCell(*sheet, 36, 54, 18, 28, x, b - 28);
    canvas_.BlitMaskedCell(*sheet, 36, 54, 18, 28, r, b - 28, true);
    // Edges run up to the corners' inner ends, the last piece cut to fit.
    for (int px = x + 18; px <= r - 18; px += 18) {
        const int w = std::min(18, r - 18 - px + 1);
        Blit(s, px, y, w, 28, *sheet, 4 * 18, 0, RasterOp::Copy);
        Blit(s, px, b - 28, w, 28, *sheet, 5 * 18, 0, RasterOp::Copy);
    }
    for (int py = y + 28; py < b - 28; py += 28) {
        const int h = std::min(28, b - 28 - py + 1);
        Blit(s, x, py, 18, h, *sheet, 6 * 18, 0, RasterOp::Copy);
        BlitPicture(s, r, py, -18, h, CopyLogical(*sheet, QRect(6 * 18, 0, 18, h)), RasterOp::Copy);
    }
}

void NoticePanels::PaintGameResult(const GameResult& result) {
    if (result.scores[0] == 0) {
        const int x = (canvas_.Width() - 240) / 2;
        const int y = (canvas_.Height() - 140) / 2;
        PaintMsgFrame(x, y, 240, 140);
        canvas_.PrintText(x + 60, y + 60, "本轮和局！", QColor(0, 0, 250), 20, true, "黑体");
        return;
    }
    const int x = (canvas_.Width() - 340) / 2;
    const int y = (canvas_.Height() - 210) / 2;
    PaintMsgFrame(x, y, 340, 210);
    canvas_.PrintText(x + 110, y + 35, "游戏结束", QColor(0, 0, 250), 20, true, "黑体");
    canvas_.PrintText(x + 236, y + 44, "倍数 ×" + std::to_string(result.multiplier), QColor(160, 0, 0), 10,
                      false);
    {
        QPainter p(&canvas_.Surface());
        p.setPen(QColor(230, 230, 230));
        p.drawLine(x + 30, y + 69, x + 310, y + 69);
        p.setPen(QColor(30, 30, 30));
        p.drawLine(x + 30, y + 70, x + 310, y + 70);
    }
    // A long name stops short of the place, with an ellipsis.
    const QFontMetrics metrics(TableFont(10, false));
    for (std::size_t seat = 0; seat < 4; ++seat) {
        const int row = y + 82 + static_cast<int>(seat) * 24;
        const std::uint8_t place = result.places[seat];
        const QString name = QString::fromStdString(context_.game.udtUser[seat].strUserName);
        canvas_.PrintText(x + 30, row, result.red[seat] ? "红方" : "黑方",
                          result.red[seat] ? QColor(200, 0, 0) : Qt::black, 10, false);
        canvas_.PrintText(x + 75, row, metrics.elidedText(name, Qt::ElideRight, 130).toStdString(), Qt::black,
                          10, false);
        canvas_.PrintText(x + 215, row, place ? "第" + std::to_string(place) + "名" : "–", Qt::black, 10, false);
        canvas_.PrintText(x + 265, row, std::to_string(result.scores[seat]), Qt::black, 10, false);
    }
}

}  // namespace redten
