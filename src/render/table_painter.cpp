#include "render/table_painter.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "render/blit.h"
#include "table_pictures.h"

namespace redten {
namespace {

constexpr int kMidWidth = 244;
constexpr int kMidHeight = 247;
constexpr char kMid[] = "Res\\GameBackMid.bmp";
constexpr std::uint8_t kPass = 254;

bool IsPass(const CardList& cards) { return cards.size() == 1 && cards[0] == kPass; }

// Sizes are points at 96 dots an inch, as the table was laid out.
int PointsToPixels(int points) { return points * 96 / 72; }

}  // namespace

TablePainter::TablePainter(ClientContext& context, GameArea& area, ImageStore& images)
    : context_(context),
      area_(area),
      images_(images),
      cloth_(assets::ClothTile()),
      netBreak_(assets::NetBreak()) {}

void TablePainter::Update(int x, int y, int w, int h) { area_.update(x, y, w, h); }

void TablePainter::OnResized() {
    const QImage& s = area_.Surface();
    LayoutInputs in;
    in.width = s.width();
    in.height = s.height();
    const QScreen* screen = QGuiApplication::primaryScreen();
    in.smallScreen = screen && screen->geometry().width() < 801;
    in.showOtherBack = context_.game.blnShowOtherBack != 0;
    CalcUserPos(layout_, in);
    RepaintTable();
}

// --- the background --------------------------------------------------------------

void TablePainter::PaintGameBack() {
    QImage& s = area_.Surface();
    const int w = s.width();
    const int h = s.height();
    for (int y = 0; y <= h; y += cloth_.height()) {
        for (int x = 0; x <= w; x += cloth_.width()) {
            Blit(s, x, y, cloth_.width(), cloth_.height(), cloth_, 0, 0, RasterOp::Copy);
        }
    }
    if (const QImage* mid = images_.App(kMid)) {
        Blit(s, (w - kMidWidth) / 2, (h - kMidHeight) / 2, mid->width(), mid->height(), *mid, 0, 0,
             RasterOp::Copy);
    }
    if (const QImage* v = images_.App("Res\\GameBackVsBian.bmp")) {
        for (int y = 0; y <= h; y += 16) {
            BlitPicture(s, 6, y, -7, 16, *v, RasterOp::Copy);
            BlitPicture(s, w - 7, y, 7, 16, *v, RasterOp::Copy);
        }
    }
    if (const QImage* hz = images_.App("Res\\GameBackHsBian.bmp")) {
        for (int x = 0; x <= w; x += 16) {
            BlitPicture(s, x, 0, 16, 7, *hz, RasterOp::Copy);
            BlitPicture(s, x, h - 1, 16, -7, *hz, RasterOp::Copy);
        }
    }
    if (const QImage* c = images_.App("Res\\GameBackJiao.bmp")) {
        BlitPicture(s, 52, 0, -53, 50, *c, RasterOp::Copy);
        BlitPicture(s, 52, h, -53, -50, *c, RasterOp::Copy);
        BlitPicture(s, w - 53, 0, 53, 50, *c, RasterOp::Copy);
        BlitPicture(s, w - 53, h, 53, -50, *c, RasterOp::Copy);
    }
}

void TablePainter::RestoreGameBack(int x, int y, int w, int h) {
    // The tile grid starts at the rectangle's own corner.
    QImage& s = area_.Surface();
    for (int ty = 0; ty < h; ty += cloth_.height()) {
        for (int tx = 0; tx < w; tx += cloth_.width()) {
            Blit(s, x + tx, y + ty, std::min(cloth_.width(), w - tx), std::min(cloth_.height(), h - ty),
                 cloth_, 0, 0, RasterOp::Copy);
        }
    }
    Update(x, y, w, h);
}

void TablePainter::RestoreGameBackMid(int x, int y, int w, int h) {
    QImage& s = area_.Surface();
    if (s.width() < kMidWidth) {
        return;
    }
    const QRect mid((s.width() - kMidWidth) / 2, (s.height() - kMidHeight) / 2, kMidWidth, kMidHeight);
    const QRect part = mid.intersected(QRect(x, y, w, h));
    const QImage* picture = images_.App(kMid);
    if (part.isEmpty() || !picture) {
        return;
    }
    Blit(s, part.x(), part.y(), part.width(), part.height(), *picture, part.x() - mid.x(),
         part.y() - mid.y(), RasterOp::Copy);
    Update(part.x(), part.y(), part.width(), part.height());
}

// --- text ---------------------------------------------------------------------------

void TablePainter::PrintText(int x, int y, const std::string& text, QColor colour, int points,
                             bool bold) {
    QPainter p(&area_.Surface());
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(PointsToPixels(points));
    font.setBold(bold);
    p.setFont(font);
    p.setPen(colour);
    const QString t = QString::fromStdString(text);
    const QRect box = p.boundingRect(QRect(x, y, 2000, 200), Qt::AlignLeft | Qt::AlignTop, t);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop, t);
    Update(box.x(), box.y(), box.width() + 1, box.height() + 1);
}

// --- seats --------------------------------------------------------------------------

const QImage* TablePainter::Face(std::uint8_t seat) {
    const std::int32_t icon = context_.game.udtUser[seat].lngIconNo;
    const std::int32_t number = icon % 1000 + 1;
    return images_.Parent("UserRes\\LargeUser\\" + std::to_string(number) + ".ico");
}

void TablePainter::PaintUser(std::uint8_t seat) {
    seat &= 3;
    const std::uint8_t p = Place(seat);
    const PixelPoint f = layout_.UserPos[p];
    const PixelPoint n = layout_.UserNamePos[p];
    const std::string& name = context_.game.udtUser[seat].strUserName;
    if (name.empty()) {
        if (GameBackPainted) {
            if (p == 0 || p == 2) {
                RestoreGameBack(f.x - 1, f.y - 1, 150, 34);
            } else {
                RestoreGameBack(std::min(n.x, f.x) - 1, f.y - 1, 52, 90);
            }
        }
        return;
    }
    const QImage* face = Face(seat);
    if (!face) {
        return;
    }
    {
        QPainter painter(&area_.Surface());
        painter.drawImage(f.x, f.y, *face);
    }
    Update(f.x, f.y, 32, 32);
    if (p == 0 || p == 2) {
        PrintText(n.x, n.y, name, Qt::white, 9, false);
        return;
    }
    // Side seats: lines of eight characters, 12 pixels apart.
    const auto lines = WrapLines(name);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        PrintText(n.x, n.y + static_cast<int>(i) * 12, lines[i], Qt::white, 9, false);
    }
}

void TablePainter::PaintNetBreak(std::uint8_t seat) {
    seat &= 3;
    const PixelPoint at = layout_.NetBreakPos[Place(seat)];
    if (context_.game.udtUser[seat].blnOffline != 0) {
        Blit(area_.Surface(), at.x, at.y, netBreak_.width(), netBreak_.height(), netBreak_, 0, 0,
             RasterOp::Copy);
        Update(at.x, at.y, 32, 32);
    } else if (GameBackPainted) {
        RestoreGameBack(at.x - 1, at.y - 1, 34, 34);
    }
}

void TablePainter::PaintReadyHand(std::uint8_t seat) {
    seat &= 3;
    const PixelPoint at = layout_.ReadyPos[Place(seat)];
    const QImage* hand = images_.App("Res\\Hand.bmp");
    if (context_.game.udtUser[seat].blnReady != 0) {
        if (hand) {
            Blit(area_.Surface(), at.x, at.y, hand->width(), hand->height(), *hand, 0, 0,
                 RasterOp::Copy);
            Update(at.x, at.y, hand->width(), hand->height());
        }
    } else if (GameBackPainted) {
        RestoreGameBack(at.x - 1, at.y - 1, 82, 37);
    }
}

void TablePainter::PaintLiangFlag(std::uint8_t seat) {
    seat &= 3;
    const UserGameInfo& u = context_.game.udtUser[seat];
    if (u.strUserName.empty()) {
        return;
    }
    const auto& places = layout_.LiangFlagPos[Place(seat)];
    const QImage* flags = images_.App("Res\\LiangFlag.bmp");
    const auto flag = [&](int which, PixelPoint at) {
        if (flags) {
            Blit(area_.Surface(), at.x, at.y, 32, 30, *flags, which * 32, 0, RasterOp::Copy);
            Update(at.x, at.y, 32, 30);
        }
    };
    switch (u.bteLiang) {
        case 1: flag(0, places[0]); break;
        case 2: flag(1, places[0]); break;
        case 3:
            flag(0, places[0]);
            flag(1, places[1]);
            break;
        default:
            if (GameBackPainted) {
                for (const PixelPoint& at : places) {
                    RestoreGameBack(at.x - 1, at.y - 1, 33, 31);
                }
            }
    }
}

void TablePainter::PaintMingCi(std::uint8_t seat) {
    seat &= 3;
    const int rank = context_.game.udtUser[seat].bteMingCi;
    const QImage* places = images_.App("Res\\MingCi.bmp");
    if (rank < 1 || rank > 3 || !places) {
        return;
    }
    const PixelPoint at = layout_.MingCiPos[Place(seat)];
    Blit(area_.Surface(), at.x, at.y, 48, 46, *places, (rank - 1) * 48, 0, RasterOp::Copy);
    Update(at.x, at.y, 48, 46);
}

void TablePainter::PaintRestPai(std::uint8_t seat) {
    seat &= 3;
    const PixelPoint at = layout_.RestPaiPos[Place(seat)];
    RestoreGameBack(at.x, at.y, 63, 13);
    PrintText(at.x, at.y, "余牌:", QColor(0, 180, 200), 11, false);
    PrintText(at.x + 40, at.y - 3, std::to_string(context_.game.udtUser[seat].bteCardCount),
              QColor(250, 0, 200), 13, true);
}

// --- cards ----------------------------------------------------------------------------

void TablePainter::PaintPaiRow(const CardList& cards, int x, int y) {
    const QImage* mask = images_.App("Res\\ResPk\\PkMask.bmp");
    for (const std::uint8_t card : cards) {
        const QImage* face =
            images_.App("Res\\ResPk\\Pk" + std::to_string(PkImageIndex(card)) + ".bmp");
        if (!face) {
            continue;  // the next card closes up
        }
        BlitMasked(area_.Surface(), x, y, mask ? *mask : QImage(), *face);
        Update(x, y, PkWidth, PkHeight);
        x += PkStepX;
    }
}

void TablePainter::PaintMyPai() {
    GameState& g = context_.game;
    const PixelPoint hand = layout_.PaiPos[2];
    const int most = 13 * std::max<int>(g.bteDeckCount, 1);
    const int widest = (most - 1) * PkStepX + PkWidth;
    RestoreGameBack(hand.x - widest / 2, hand.y - kRaise, widest + 1, PkHeight + 25);
    const QImage* mask = images_.App("Res\\ResPk\\PkMask.bmp");
    const int n = static_cast<int>(g.bteMyPai.size());
    if (!mask || n == 0) {
        return;
    }
    g.bteSelected.resize(g.bteMyPai.size(), 0);
    int x = hand.x - ((n - 1) * PkStepX + PkWidth) / 2;
    const QImage* back = images_.App("Res\\PkBack.bmp");
    for (int i = 0; i < n; ++i) {
        const QImage* picture =
            g.blnShowMyPai != 0
                ? images_.App("Res\\ResPk\\Pk" + std::to_string(PkImageIndex(g.bteMyPai[i])) + ".bmp")
                : back;
        if (!picture) {
            if (g.blnShowMyPai == 0) {
                return;
            }
            continue;
        }
        const int y = g.bteSelected[i] != 0 ? hand.y - kRaise : hand.y;
        BlitMasked(area_.Surface(), x, y, *mask, *picture);
        x += PkStepX;
    }
}

void TablePainter::PaintUserPai(std::uint8_t seat) {
    seat &= 3;
    const std::uint8_t p = Place(seat);
    if (p == 2) {
        PaintMyPai();
        return;
    }
    const QImage* back = images_.App("Res\\PkBack.bmp");
    const QImage* mask = images_.App("Res\\ResPk\\PkMask.bmp");
    if (!back || !mask) {
        return;
    }
    const GameState& g = context_.game;
    const UserGameInfo& u = g.udtUser[seat];
    const PixelPoint h = layout_.PaiPos[p];
    const int most = 13 * std::max<int>(g.bteDeckCount, 1);
    const int c = u.bteCardCount;
    QImage& s = area_.Surface();
    if (p == 0) {
        if (!u.bteOpenPai.empty()) {
            const int k = static_cast<int>(u.bteOpenPai.size());
            PaintPaiRow(u.bteOpenPai, h.x - ((k - 1) * PkStepX + PkWidth) / 2, h.y);
        } else if (g.blnShowOtherBack != 0) {
            const int w = (most - 1) * PkStepX + PkWidth;
            RestoreGameBack(h.x - w / 2 - 1, h.y - 1, w + 2, PkHeight + 2);
            for (int i = 0, x = h.x - ((c - 1) * PkStepX + PkWidth) / 2; i < c; ++i, x += PkStepX) {
                BlitMasked(s, x, h.y, *mask, *back);
            }
        }
        return;
    }
    if (!u.bteOpenPai.empty()) {
        const int k = static_cast<int>(u.bteOpenPai.size());
        int y = h.y - ((k - 1) * PkStepY + PkHeight) / 2;
        for (const std::uint8_t card : u.bteOpenPai) {
            Blit(s, h.x, y, PkWidth, PkHeight, *mask, 0, 0, RasterOp::And);
            if (const QImage* face =
                    images_.App("Res\\ResPk\\Pk" + std::to_string(PkImageIndex(card)) + ".bmp")) {
                Blit(s, h.x, y, PkWidth, PkHeight, *face, 0, 0, RasterOp::Or);
            }
            y += PkStepY + 5;
        }
    } else if (g.blnShowOtherBack != 0) {
        const int tall = (most - 1) * PkStepY + PkHeight;
        RestoreGameBack(h.x - 1, h.y - tall / 2 - 1, PkWidth + 2, tall + 2);
        for (int i = 0, y = h.y - ((c - 1) * PkStepY + PkHeight) / 2; i < c; ++i, y += PkStepY) {
            BlitMasked(s, h.x, y, *mask, *back);
        }
    }
    Update(0, 0, s.width(), s.height());
}

// --- played cards ------------------------------------------------------------------------

void TablePainter::PaintSeatCards(std::uint8_t seat, const CardList& cards) {
    if (cards.empty()) {
        return;
    }
    const std::uint8_t p = Place(seat);
    const PixelPoint o = layout_.OutPaiPos[p];
    if (IsPass(cards)) {
        const QImage* mark = images_.App("Res\\BuChu.bmp");
        if (!mark) {
            return;
        }
        const PixelPoint at = p == 0 || p == 2 ? PixelPoint{o.x - 67 / 2, o.y + (PkHeight - 34) / 2}
                              : p == 1      ? PixelPoint{o.x + (PkWidth - 67) / 2 + 3, o.y - 34 / 2}
                                            : PixelPoint{o.x - (PkWidth - 67) / 2 - 67 - 3, o.y - 34 / 2};
        QImage& s = area_.Surface();
        Blit(s, at.x, at.y, 67, 34, *mark, 67, 0, RasterOp::And);
        Blit(s, at.x, at.y, 67, 34, *mark, 0, 0, RasterOp::Or);
        Update(at.x, at.y, 67, 34);
        return;
    }
    const int w = (static_cast<int>(cards.size()) - 1) * PkStepX + PkWidth;
    if (p == 0 || p == 2) {
        PaintPaiRow(cards, o.x - w / 2, o.y);
    } else if (p == 1) {
        PaintPaiRow(cards, o.x, o.y - PkHeight / 2);
    } else {
        PaintPaiRow(cards, o.x - w, o.y - PkHeight / 2);
    }
}

void TablePainter::PaintAllOutPai(bool previousTrick) {
    const auto& o = layout_.OutPaiPos;
    const int x = o[1].x;
    const int y = o[0].y;
    RestoreGameBack(x, y, o[3].x - x + 1, o[2].y + PkHeight - y + 1);
    const QImage& s = area_.Surface();
    if (const QImage* mid = images_.App(kMid)) {
        Blit(area_.Surface(), (s.width() - kMidWidth) / 2, (s.height() - kMidHeight) / 2,
             mid->width(), mid->height(), *mid, 0, 0, RasterOp::Copy);
    }
    for (std::uint8_t seat = 0; seat < 4; ++seat) {
        const UserGameInfo& u = context_.game.udtUser[seat];
        PaintSeatCards(seat, previousTrick ? u.bteLastOutPai : u.bteOutPai);
    }
    Update(0, 0, s.width(), s.height());
}

void TablePainter::PaintSeatOutPai(std::uint8_t seat) {
    PaintSeatCards(seat & 3, context_.game.udtUser[seat & 3].bteOutPai);
}

void TablePainter::ClearSeatOutPai(std::uint8_t seat) {
    // The widest row a seat can play, erased with the centre picture under it.
    const std::uint8_t p = Place(seat & 3);
    const PixelPoint o = layout_.OutPaiPos[p];
    const int w = (13 * std::max<int>(context_.game.bteDeckCount, 1) - 1) * PkStepX + PkWidth;
    int x = p == 1 ? o.x : p == 3 ? o.x - w : o.x - w / 2;
    const int y = p == 1 || p == 3 ? o.y - PkHeight / 2 : o.y;
    x = std::max(x, 0);
    RestoreGameBack(x, y, w, PkHeight);
    RestoreGameBackMid(x, y, w, PkHeight);
}

// --- the whole table ------------------------------------------------------------------

void TablePainter::RepaintTable() {
    if (repainting_) {
        return;
    }
    repainting_ = true;
    PaintGameBack();
    GameBackPainted = false;
    PaintAllOutPai(false);
    if (!context_.define.strViewUserName.empty()) {
        for (std::uint8_t seat = 0; seat < 4; ++seat) {
            PaintUser(seat);
            PaintNetBreak(seat);
            PaintReadyHand(seat);
            if (context_.game.blnNoDeal == 0) {
                PaintLiangFlag(seat);
                PaintUserPai(seat);
                PaintMingCi(seat);
                PaintRestPai(seat);
            }
        }
    }
    GameBackPainted = true;
    repainting_ = false;
    area_.update();
}

void TablePainter::UpdateStartButton(bool visible, const std::string& caption) {
    if (startButton) {
        const PixelPoint face = layout_.UserPos[2];
        startButton(visible, caption, PixelPoint{face.x + 150, face.y + 5});
    }
}

}  // namespace redten
