#include "render/table_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <cmath>

#include "pictures/table_pictures.h"
#include "render/blit.h"
#include "wire/text_fields.h"

namespace redten {
namespace {

bool IsPass(const CardList& cards) { return cards.size() == 1 && cards[0] == kPassCard; }

}  // namespace

TablePainter::TablePainter(ClientContext& context, GameArea& area, ImageStore& images)
    : context_(context),
      canvas_(area, images),
      images_(images),
      buttons_(context, canvas_, layout_),
      panels_(context, canvas_),
      bomb_(context, canvas_, layout_),
      netBreak_(assets::NetBreak()) {}

void TablePainter::Update(int x, int y, int w, int h) { canvas_.Update(x, y, w, h); }

void TablePainter::OnResized() {
    canvas_.SyncRatio();
    RepaintTable();
}

void TablePainter::CalcLayout() {
    LayoutInputs in;
    in.width = canvas_.Width();
    in.height = canvas_.Height();
    const QScreen* screen = QGuiApplication::primaryScreen();
    in.smallScreen = screen && screen->geometry().width() < 801;
    in.showOtherBack = context_.game.blnShowOtherBack != 0;
    CalcUserPos(layout_, in);
}

// --- the background --------------------------------------------------------------

void TablePainter::PaintGameBack() {
    QImage& s = canvas_.Surface();
    const int w = canvas_.Width();
    const int h = canvas_.Height();
    const QImage& cloth = canvas_.Cloth();
    const QSize tile = LogicalSize(cloth);
    for (int y = 0; y <= h; y += tile.height()) {
        for (int x = 0; x <= w; x += tile.width()) {
            Blit(s, x, y, tile.width(), tile.height(), cloth, 0, 0, RasterOp::Copy);
        }
    }
    canvas_.PaintGameBackMid();
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
            QRect block = p == 0 || p == 2 ? QRect(f.x - 1, f.y - 1, 150, 34)
                                           : QRect(std::min(n.x, f.x) - 1, f.y - 1, 52, 90);
            // A long name reaches past the block; the rails stay as they are.
            block |= canvas_.InsideRails(nameBoxes_[p]);
            canvas_.RestoreGameBack(block.x(), block.y(), block.width(), block.height());
            // The count and the badge go with the player; a side seat's cards,
            // which a long name's box reaches into, are drawn again.
            PaintRestPai(seat);
            PaintMingCi(seat);
            if ((p == 1 || p == 3) && context_.game.blnNoDeal == 0) {
                PaintUserPai(seat);
            }
        }
        nameBoxes_[p] = QRect();
        return;
    }
    const QImage* face = Face(seat);
    if (!face) {
        nameBoxes_[p] = QRect();
        return;
    }
    // The portrait's corners are see-through: the cloth goes back first,
    // so that drawing it again never darkens its edges.
    if (GameBackPainted) {
        canvas_.RestoreGameBack(f.x, f.y, 32, 32);
    }
    {
        QPainter painter(&canvas_.Surface());
        painter.drawImage(f.x, f.y, *face);
    }
    Update(f.x, f.y, 32, 32);
    PrintName(p, name);
}

void TablePainter::PrintName(std::uint8_t p, const std::string& name) {
    const PixelPoint n = layout_.UserNamePos[p];
    if (p == 0 || p == 2) {
        nameBoxes_[p] = canvas_.PrintText(n.x, n.y, name, Qt::white, 9, false);
        return;
    }
    // Side seats: lines of eight characters, 12 pixels apart.
    const auto lines = WrapLines(name);
    nameBoxes_[p] = QRect();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int y = n.y + static_cast<int>(i) * 12;
        nameBoxes_[p] |= canvas_.PrintText(n.x, y, lines[i], Qt::white, 9, false);
    }
}

void TablePainter::PaintNetBreak(std::uint8_t seat) {
    seat &= 3;
    const PixelPoint at = layout_.NetBreakPos[Place(seat)];
    if (context_.game.udtUser[seat].blnOffline != 0) {
        if (netBreak_.devicePixelRatio() != canvas_.Surface().devicePixelRatio()) {
            netBreak_ = assets::NetBreak(canvas_.Surface().devicePixelRatio());
        }
        const QSize size = LogicalSize(netBreak_);
        Blit(canvas_.Surface(), at.x, at.y, size.width(), size.height(), netBreak_, 0, 0,
             RasterOp::Copy);
        Update(at.x, at.y, 32, 32);
    } else if (GameBackPainted) {
        canvas_.RestoreGameBack(at.x - 1, at.y - 1, 34, 34);
    }
}

void TablePainter::PaintReadyHand(std::uint8_t seat) {
    seat &= 3;
    const PixelPoint at = layout_.ReadyPos[Place(seat)];
    const QImage* hand = images_.App("Res\\Hand.bmp");
    if (context_.game.udtUser[seat].blnReady != 0) {
        if (GameBackPainted) {
            // The mark takes the place of the seat's leftovers from the last
            // game, which lie where it stands.
            EraseOpenPai(seat);
            PaintRestPai(seat);
            // A side seat's long name runs on under its cards and its count:
            // with them gone it shows whole, as a full repaint draws it.
            const std::uint8_t p = Place(seat);
            const std::string& name = context_.game.udtUser[seat].strUserName;
            if ((p == 1 || p == 3) && !name.empty() && !nameBoxes_[p].isEmpty()) {
                const QRect box = canvas_.InsideRails(nameBoxes_[p]);
                canvas_.RestoreGameBack(box.x(), box.y(), box.width(), box.height());
                PrintName(p, name);
            }
        }
        if (hand) {
            const QSize size = LogicalSize(*hand);
            Blit(canvas_.Surface(), at.x, at.y, size.width(), size.height(), *hand, 0, 0,
                 RasterOp::Copy);
            Update(at.x, at.y, size.width(), size.height());
        }
    } else if (GameBackPainted) {
        canvas_.RestoreGameBack(at.x - 1, at.y - 1, 82, 37);
        // The mark's place reaches into the seat's cards and, at the top, its
        // count: whatever of them shows is drawn again.
        if (context_.game.blnNoDeal == 0) {
            PaintRestPai(seat);
            PaintUserPai(seat);
        }
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
            Blit(canvas_.Surface(), at.x, at.y, 32, 30, *flags, which * 32, 0, RasterOp::Copy);
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
                    canvas_.RestoreGameBack(at.x - 1, at.y - 1, 33, 31);
                }
            }
    }
}

void TablePainter::PaintMingCi(std::uint8_t seat) {
    seat &= 3;
    if (context_.game.udtUser[seat].strUserName.empty()) {
        if (GameBackPainted) {
            EraseMingCi(seat);
        }
        return;
    }
    const int rank = context_.game.udtUser[seat].bteMingCi;
    const QImage* places = images_.App("Res\\MingCi.bmp");
    if (rank < 1 || rank > 3 || !places) {
        return;
    }
    const PixelPoint at = layout_.MingCiPos[Place(seat)];
    Blit(canvas_.Surface(), at.x, at.y, 48, 46, *places, (rank - 1) * 48, 0, RasterOp::Copy);
    Update(at.x, at.y, 48, 46);
}

void TablePainter::EraseMingCi(std::uint8_t seat) {
    const PixelPoint at = layout_.MingCiPos[Place(seat & 3)];
    canvas_.RestoreGameBack(at.x, at.y, 48, 46);
}

void TablePainter::PaintRestPai(std::uint8_t seat) {
    seat &= 3;
    // An empty seat has no count; a seat that is ready for the next game has
    // done with the last one's cards, and at the top its mark stands there.
    const UserGameInfo& u = context_.game.udtUser[seat];
    if (u.strUserName.empty() || u.blnReady != 0) {
        if (GameBackPainted) {
            EraseRestPai(seat);
        }
        return;
    }
    const std::uint8_t p = Place(seat);
    const PixelPoint at = layout_.RestPaiPos[p];
    const int width = RestPaiWidth(p);
    const std::string count = std::to_string(u.bteCardCount);
    int digitsX = at.x + 40;
    if (width < 63) {
        // Where the place is cut short, wide digits move in rather than run on.
        const QFontMetrics metrics(TableFont(13, true));
        const int digits = metrics.horizontalAdvance(QString::fromStdString(count));
        digitsX = std::min(digitsX, at.x + width - digits);
    }
    canvas_.RestoreGameBack(at.x, at.y, width, 13);
    canvas_.PrintText(at.x, at.y, "余牌:", QColor(0, 180, 200), 11, false);
    canvas_.PrintText(digitsX, at.y - 3, count, QColor(250, 0, 200), 13, true);
}

int TablePainter::RestPaiWidth(std::uint8_t place) const {
    // The left count's place would reach 3 pixels into the hand column
    // beside it, so every repaint of the count cut a notch into the cards:
    // it stops short of the column.
    const int width = 63;
    return place == 1 ? std::min(width, layout_.PaiPos[1].x - 1 - layout_.RestPaiPos[1].x) : width;
}

void TablePainter::EraseRestPai(std::uint8_t seat) {
    // The count's own restore leaves the feet of its label and the tops of
    // its digits; a count that goes takes them along.
    const std::uint8_t p = Place(seat & 3);
    const PixelPoint at = layout_.RestPaiPos[p];
    canvas_.RestoreGameBack(at.x, at.y - 3, RestPaiWidth(p), 18);
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
        BlitMasked(canvas_.Surface(), x, y, mask ? *mask : QImage(), *face);
        Update(x, y, PkWidth, PkHeight);
        x += PkStepX;
    }
}

void TablePainter::PaintMyPai() {
    GameState& g = context_.game;
    const PixelPoint hand = layout_.PaiPos[2];
    const int most = 13 * std::max<int>(g.bteDeckCount, 1);
    const int widest = (most - 1) * PkStepX + PkWidth;
    canvas_.RestoreGameBack(hand.x - widest / 2, hand.y - kRaise, widest + 1, PkHeight + 25);
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
        BlitMasked(canvas_.Surface(), x, y, *mask, *picture);
        x += PkStepX;
    }
}

void TablePainter::PaintMyPaiAround(std::int32_t k) {
    GameState& g = context_.game;
    const int n = static_cast<int>(g.bteMyPai.size());
    const QImage* mask = images_.App("Res\\ResPk\\PkMask.bmp");
    // At a fractional ratio the strip's corner need not fall on a device
    // pixel, and a strip laid there could differ from the full row by one;
    // the row is drawn whole instead.
    const qreal ratio = canvas_.Surface().devicePixelRatio();
    if (k < 1 || k > n || g.blnShowMyPai == 0 || !mask || ratio != std::floor(ratio)) {
        PaintMyPai();
        return;
    }
    g.bteSelected.resize(g.bteMyPai.size(), 0);
    // The same picture as PaintMyPai within a strip around card k, built in
    // a scratch image: the cloth on the full repaint's grid, then every card
    // that reaches into the strip, in order.
    const PixelPoint hand = layout_.PaiPos[2];
    const int most = 13 * std::max<int>(g.bteDeckCount, 1);
    const int widest = (most - 1) * PkStepX + PkWidth;
    const int gridX = hand.x - widest / 2;
    const int gridY = hand.y - kRaise;
    const int left = hand.x - ((n - 1) * PkStepX + PkWidth) / 2;
    const QRect strip = QRect(left + (k - 1) * PkStepX - 3, gridY, PkWidth + 6, PkHeight + 25)
                            .intersected(QRect(gridX, gridY, widest + 1, PkHeight + 25));
    QImage scratch = DeviceImage(strip.size(), canvas_.Surface().devicePixelRatio());
    const QSize tile = LogicalSize(canvas_.Cloth());
    for (int ty = 0; ty < strip.height() + tile.height(); ty += tile.height()) {
        for (int tx = (strip.x() - gridX) / tile.width() * tile.width(); gridX + tx < strip.right() + 1;
             tx += tile.width()) {
            Blit(scratch, gridX + tx - strip.x(), gridY + ty - strip.y(), tile.width(), tile.height(),
                 canvas_.Cloth(), 0, 0, RasterOp::Copy);
        }
    }
    for (int i = 0; i < n; ++i) {
        const int x = left + i * PkStepX;
        if (x + PkWidth <= strip.x() || x > strip.right()) {
            continue;
        }
        const QImage* face =
            images_.App("Res\\ResPk\\Pk" + std::to_string(PkImageIndex(g.bteMyPai[i])) + ".bmp");
        if (!face) {
            PaintMyPai();  // a missing face closes the row up: no strip to speak of
            return;
        }
        const int y = g.bteSelected[static_cast<std::size_t>(i)] != 0 ? hand.y - kRaise : hand.y;
        BlitMasked(scratch, x - strip.x(), y - strip.y(), *mask, *face);
    }
    Blit(canvas_.Surface(), strip.x(), strip.y(), strip.width(), strip.height(), scratch, 0, 0,
         RasterOp::Copy);
    Update(strip.x(), strip.y(), strip.width(), strip.height());
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
    if (!u.bteOpenPai.empty() && u.blnReady != 0) {
        // Ready for the next game: the mark shows instead of the last one's cards.
        if (GameBackPainted) {
            EraseOpenPai(seat);
        }
        return;
    }
    const PixelPoint h = layout_.PaiPos[p];
    const int most = 13 * std::max<int>(g.bteDeckCount, 1);
    const int c = u.bteCardCount;
    QImage& s = canvas_.Surface();
    if (p == 0) {
        if (!u.bteOpenPai.empty()) {
            const int k = static_cast<int>(u.bteOpenPai.size());
            PaintPaiRow(u.bteOpenPai, h.x - ((k - 1) * PkStepX + PkWidth) / 2, h.y);
        } else if (g.blnShowOtherBack != 0) {
            const int w = (most - 1) * PkStepX + PkWidth;
            canvas_.RestoreGameBack(h.x - w / 2 - 1, h.y - 1, w + 2, PkHeight + 2);
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
        canvas_.RestoreGameBack(h.x - 1, h.y - tall / 2 - 1, PkWidth + 2, tall + 2);
        for (int i = 0, y = h.y - ((c - 1) * PkStepY + PkHeight) / 2; i < c; ++i, y += PkStepY) {
            BlitMasked(s, h.x, y, *mask, *back);
        }
    }
    Update(0, 0, canvas_.Width(), canvas_.Height());
}

QRect TablePainter::OpenPaiRect(std::uint8_t place, int count) const {
    const PixelPoint h = layout_.PaiPos[place & 3];
    if (place == 0 || place == 2) {
        const int w = (count - 1) * PkStepX + PkWidth;
        return {h.x - w / 2, h.y, w, PkHeight};
    }
    // Revealed cards stand 29 pixels apart, though their column is centred as
    // if they stood 24 apart.
    return {h.x, h.y - ((count - 1) * PkStepY + PkHeight) / 2, PkWidth,
            (count - 1) * (PkStepY + 5) + PkHeight};
}

void TablePainter::EraseOpenPai(std::uint8_t seat) {
    const std::uint8_t p = Place(seat & 3);
    const int k = static_cast<int>(context_.game.udtUser[seat & 3].bteOpenPai.size());
    if (p == 2 || k == 0) {
        return;
    }
    const QRect r = OpenPaiRect(p, k);
    canvas_.RestoreGameBack(r.x(), r.y(), r.width(), r.height());
    canvas_.RestoreGameBackMid(r.x(), r.y(), r.width(), r.height());
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
        QImage& s = canvas_.Surface();
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
    canvas_.RestoreGameBack(x, y, o[3].x - x + 1, o[2].y + PkHeight - y + 1);
    canvas_.PaintGameBackMid();
    for (std::uint8_t seat = 0; seat < 4; ++seat) {
        const UserGameInfo& u = context_.game.udtUser[seat];
        PaintSeatCards(seat, previousTrick ? u.bteLastOutPai : u.bteOutPai);
    }
    Update(0, 0, canvas_.Width(), canvas_.Height());
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
    canvas_.RestoreGameBack(x, y, w, PkHeight);
    canvas_.RestoreGameBackMid(x, y, w, PkHeight);
}

// --- the whole table ------------------------------------------------------------------

void TablePainter::RepaintTable() {
    if (repainting_) {
        return;
    }
    repainting_ = true;
    // The played cards' places follow the setting that shows the others'
    // backs: a game's start and end and a table's snapshot change it just
    // before they ask for the whole table.
    CalcLayout();
    PaintGameBack();
    PaintTimeBar();
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
        // The start button's place follows the area's size.
        if (startKnown_ && startButton) {
            startButton(startVisible_, startCaption_, layout_.StartButtonPos);
        }
    }
    if (!context_.define.strViewUserName.empty()) {
        buttons_.PaintAll();
        PaintTimeBar();
        PaintClock(true);
        if (context_.game.blnWaitLiang != 0) {
            panels_.PaintWaitMsg();
        }
    }
    GameBackPainted = true;
    repainting_ = false;
    canvas_.UpdateAll();
}

void TablePainter::UpdateStartButton(bool visible, const std::string& caption) {
    startKnown_ = true;
    startVisible_ = visible;
    startCaption_ = caption;
    if (startButton) {
        startButton(visible, caption, layout_.StartButtonPos);
    }
}

// --- clock -------------------------------------------------------------------------------

void TablePainter::PaintTimeBar() {
    QImage& s = canvas_.Surface();
    if (const QImage* head = images_.App("Res\\TimeBarHead.bmp")) {
        const QSize size = LogicalSize(*head);
        Blit(s, 18, 30, size.width(), size.height(), *head, 0, 0, RasterOp::Copy);
    }
    if (const QImage* end = images_.App("Res\\TimeBarEnd.bmp")) {
        const QSize size = LogicalSize(*end);
        Blit(s, 18 + 52 + 120, 30, size.width(), size.height(), *end, 0, 0, RasterOp::Copy);
    }
    // The turn clock's own bar between them: it empties as the seconds run.
    const bool running = clock_ && clock_->IsRunning() && clock_->Limit() > 0;
    const int full = running ? 120 * std::max(0, clock_->Limit() - clock_->Elapsed()) / clock_->Limit() : 0;
    // A slim strip along the top, clear of the seconds printed below it.
    QPainter p(&s);
    p.fillRect(70, 32, 120, 10, QColor(10, 52, 28));
    p.fillRect(70, 32, full, 10, full > 24 ? QColor(236, 186, 60) : QColor(220, 60, 40));
    p.setPen(QColor(232, 196, 104));
    p.drawRect(70, 32, 119, 9);
    Update(18, 30, 190, 40);
}

void TablePainter::PaintClock(bool show) {
    const GameState& g = context_.game;
    if (g.bteGameState == kPhaseNone || !clock_) {
        return;
    }
    const double seatValue = TextValue(clock_->Tag);
    if (seatValue < 0 || seatValue >= 4) {
        return;
    }
    const auto seat = static_cast<std::uint8_t>(seatValue);
    const std::uint8_t p = Place(seat);
    const PixelPoint u = layout_.UserPos[p];
    const PixelPoint at = p == 0 ? PixelPoint{u.x + 125, u.y + 3}
                          : p == 2 ? PixelPoint{u.x + 205, u.y - 4}
                                   : PixelPoint{u.x, u.y + 80};
    if (!show) {
        canvas_.RestoreGameBack(at.x, at.y, 32, 39);
        // A seat that has just gone out has its badge where its clock was.
        PaintMingCi(seat);
        canvas_.RestoreGameBack(63, 45, 30, 30);
        PaintTimeBar();  // the seconds' place takes in a corner of the bar's head
        return;
    }
    const int ticks = clock_->Elapsed();
    if (const QImage* frames = images_.App("Res\\Clock.bmp")) {
        QImage& s = canvas_.Surface();
        Blit(s, at.x, at.y, 31, 38, *frames, 248, 0, RasterOp::And);
        Blit(s, at.x, at.y, 31, 38, *frames, (ticks % 8) * 31, 0, RasterOp::Or);
        Update(at.x, at.y, 31, 38);
    }
    canvas_.RestoreGameBack(63, 45, 30, 30);
    PaintTimeBar();
    const int limit = g.bteGameState == kPhaseShowing ? g.bteLiangTime : g.bteOutTime;
    canvas_.PrintText(63, 45, std::to_string(limit - ticks), QColor(255, 255, 0), 9, true, "黑体");
}

// --- the own hand under the mouse ----------------------------------------------------------

std::int32_t TablePainter::CardAt(int x, int y) const {
    // One flag per card, as the hand is drawn.
    std::vector<std::uint8_t> selected = context_.game.bteSelected;
    selected.resize(context_.game.bteMyPai.size(), 0);
    return GetMyPaiIndex(x, y, layout_.PaiPos[2], selected);
}

}  // namespace redten
