#include "render/table_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "net/wire/text_fields.h"
#include "render/blit.h"
#include "render/null_back_blitter.h"
#include "render/pictures/skin_pictures.h"
#include "render/pictures/table_pictures.h"

namespace redten {
namespace {

constexpr int kMidWidth = 244;
constexpr int kMidHeight = 247;
constexpr char kMid[] = "Res\\GameBackMid.bmp";
constexpr std::uint8_t kPass = 254;

bool IsPass(const CardList& cards) { return cards.size() == 1 && cards[0] == kPass; }

// Sizes are points at 96 dots an inch, as the table was laid out.
int PointsToPixels(int points) { return points * 96 / 72; }

QFont TextFont(int points, bool bold, const char* face = "宋体") {
    QFont font(QString::fromUtf8(face));
    font.setPixelSize(PointsToPixels(points));
    font.setBold(bold);
    return font;
}

}  // namespace

TablePainter::TablePainter(ClientContext& context, GameArea& area, ImageStore& images)
    : context_(context),
      area_(area),
      images_(images),
      cloth_(assets::ClothTile()),
      netBreak_(assets::NetBreak()) {}

void TablePainter::Update(int x, int y, int w, int h) { area_.update(x, y, w, h); }

void TablePainter::OnResized() { RepaintTable(); }

void TablePainter::CalcLayout() {
    const QImage& s = area_.Surface();
    LayoutInputs in;
    in.width = s.width();
    in.height = s.height();
    const QScreen* screen = QGuiApplication::primaryScreen();
    in.smallScreen = screen && screen->geometry().width() < 801;
    in.showOtherBack = context_.game.blnShowOtherBack != 0;
    CalcUserPos(layout_, in);
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

QRect TablePainter::PrintText(int x, int y, const std::string& text, QColor colour, int points,
                              bool bold, const char* face) {
    QPainter p(&area_.Surface());
    p.setFont(TextFont(points, bold, face));
    p.setPen(colour);
    const QString t = QString::fromStdString(text);
    const QRect box = p.boundingRect(QRect(x, y, 2000, 200), Qt::AlignLeft | Qt::AlignTop, t);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop, t);
    Update(box.x(), box.y(), box.width() + 1, box.height() + 1);
    return box;
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
            block |= InsideRails(nameBoxes_[p]);
            RestoreGameBack(block.x(), block.y(), block.width(), block.height());
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
    {
        QPainter painter(&area_.Surface());
        painter.drawImage(f.x, f.y, *face);
    }
    Update(f.x, f.y, 32, 32);
    PrintName(p, name);
}

void TablePainter::PrintName(std::uint8_t p, const std::string& name) {
    const PixelPoint n = layout_.UserNamePos[p];
    if (p == 0 || p == 2) {
        nameBoxes_[p] = PrintText(n.x, n.y, name, Qt::white, 9, false);
        return;
    }
    // Side seats: lines of eight characters, 12 pixels apart.
    const auto lines = WrapLines(name);
    nameBoxes_[p] = QRect();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int y = n.y + static_cast<int>(i) * 12;
        nameBoxes_[p] |= PrintText(n.x, y, lines[i], Qt::white, 9, false);
    }
}

QRect TablePainter::InsideRails(const QRect& r) const {
    const QImage& s = area_.Surface();
    return r.intersected(QRect(7, 7, s.width() - 14, s.height() - 14));
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
                const QRect box = InsideRails(nameBoxes_[p]);
                RestoreGameBack(box.x(), box.y(), box.width(), box.height());
                PrintName(p, name);
            }
        }
        if (hand) {
            Blit(area_.Surface(), at.x, at.y, hand->width(), hand->height(), *hand, 0, 0,
                 RasterOp::Copy);
            Update(at.x, at.y, hand->width(), hand->height());
        }
    } else if (GameBackPainted) {
        RestoreGameBack(at.x - 1, at.y - 1, 82, 37);
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
    Blit(area_.Surface(), at.x, at.y, 48, 46, *places, (rank - 1) * 48, 0, RasterOp::Copy);
    Update(at.x, at.y, 48, 46);
}

void TablePainter::EraseMingCi(std::uint8_t seat) {
    const PixelPoint at = layout_.MingCiPos[Place(seat & 3)];
    RestoreGameBack(at.x, at.y, 48, 46);
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
        const QFontMetrics metrics(TextFont(13, true));
        const int digits = metrics.horizontalAdvance(QString::fromStdString(count));
        digitsX = std::min(digitsX, at.x + width - digits);
    }
    RestoreGameBack(at.x, at.y, width, 13);
    PrintText(at.x, at.y, "余牌:", QColor(0, 180, 200), 11, false);
    PrintText(digitsX, at.y - 3, count, QColor(250, 0, 200), 13, true);
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
    RestoreGameBack(at.x, at.y - 3, RestPaiWidth(p), 18);
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

void TablePainter::PaintMyPaiAround(std::int32_t k) {
    GameState& g = context_.game;
    const int n = static_cast<int>(g.bteMyPai.size());
    const QImage* mask = images_.App("Res\\ResPk\\PkMask.bmp");
    if (k < 1 || k > n || g.blnShowMyPai == 0 || !mask) {
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
    QImage scratch(strip.size(), QImage::Format_RGB32);
    for (int ty = 0; ty < strip.height() + cloth_.height(); ty += cloth_.height()) {
        for (int tx = (strip.x() - gridX) / cloth_.width() * cloth_.width(); gridX + tx < strip.right() + 1;
             tx += cloth_.width()) {
            Blit(scratch, gridX + tx - strip.x(), gridY + ty - strip.y(), cloth_.width(), cloth_.height(),
                 cloth_, 0, 0, RasterOp::Copy);
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
    Blit(area_.Surface(), strip.x(), strip.y(), strip.width(), strip.height(), scratch, 0, 0,
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
    RestoreGameBack(r.x(), r.y(), r.width(), r.height());
    RestoreGameBackMid(r.x(), r.y(), r.width(), r.height());
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
        for (int i = 0; i < 2; ++i) {
            PaintUserOptBut(i);
        }
        for (int i = 0; i < 3; ++i) {
            PaintUserOutBut(i);
            PaintLiangBut(i);
        }
        PaintTimeBar();
        PaintClock(true);
        if (context_.game.blnWaitLiang != 0) {
            PaintWaitMsg();
        }
    }
    GameBackPainted = true;
    repainting_ = false;
    area_.update();
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
    QImage& s = area_.Surface();
    if (const QImage* head = images_.App("Res\\TimeBarHead.bmp")) {
        Blit(s, 18, 30, head->width(), head->height(), *head, 0, 0, RasterOp::Copy);
    }
    if (const QImage* end = images_.App("Res\\TimeBarEnd.bmp")) {
        Blit(s, 18 + 52 + 120, 30, end->width(), end->height(), *end, 0, 0, RasterOp::Copy);
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
        RestoreGameBack(at.x, at.y, 32, 39);
        // A seat that has just gone out has its badge where its clock was.
        PaintMingCi(seat);
        RestoreGameBack(63, 45, 30, 30);
        PaintTimeBar();  // the seconds' place takes in a corner of the bar's head
        return;
    }
    const int ticks = clock_->Elapsed();
    if (const QImage* frames = images_.App("Res\\Clock.bmp")) {
        QImage& s = area_.Surface();
        Blit(s, at.x, at.y, 31, 38, *frames, 248, 0, RasterOp::And);
        Blit(s, at.x, at.y, 31, 38, *frames, (ticks % 8) * 31, 0, RasterOp::Or);
        Update(at.x, at.y, 31, 38);
    }
    RestoreGameBack(63, 45, 30, 30);
    PaintTimeBar();
    const int limit = g.bteGameState == kPhaseShowing ? g.bteLiangTime : g.bteOutTime;
    PrintText(63, 45, std::to_string(limit - ticks), QColor(255, 255, 0), 9, true, "黑体");
}

// --- buttons ------------------------------------------------------------------------------

void TablePainter::BlitMaskedCell(const QImage& sheet, int cellX, int maskX, int w, int h, int x,
                                  int y, bool mirrored) {
    QImage& s = area_.Surface();
    if (!mirrored) {
        Blit(s, x, y, w, h, sheet, maskX, 0, RasterOp::And);
        Blit(s, x, y, w, h, sheet, cellX, 0, RasterOp::Or);
    } else {
        BlitPicture(s, x, y, -w, h, sheet.copy(maskX, 0, w, h), RasterOp::And);
        BlitPicture(s, x, y, -w, h, sheet.copy(cellX, 0, w, h), RasterOp::Or);
    }
    Update(mirrored ? x - w + 1 : x, y, w, h);
}

void TablePainter::PaintOptionButtons() {
    for (int i = 0; i < 2; ++i) {
        PaintUserOptBut(i);
    }
}

void TablePainter::PaintUserOptBut(int i) {
    const int state = context_.controls.bteOptionState[static_cast<std::size_t>(i)];
    const QImage* sheet = images_.App("Res\\UserOptBut.bmp");
    if ((state != 1 && state != 2) || !sheet) {
        return;
    }
    const PixelPoint at{layout_.OptionButtonPos.x, layout_.OptionButtonPos.y + i * 29};
    Blit(area_.Surface(), at.x, at.y, 44, 24, *sheet, (i + (state - 1) * 2) * 44, 0, RasterOp::Copy);
    Update(at.x, at.y, 44, 24);
}

int TablePainter::GetUserOptButIndex(int x, int y) const {
    if (context_.controls.bteOptionState[0] == 0) {
        return -1;
    }
    const PixelPoint o = layout_.OptionButtonPos;
    for (int i = 0; i < 2; ++i) {
        if (o.x < x && x < o.x + 44 && o.y + i * 29 < y && y < o.y + i * 29 + 24) {
            return i;
        }
    }
    return -1;
}

int TablePainter::OutButtonCount() const {
    return context_.game.bteGameState == kPhaseLead ? 1 : context_.game.bteGameState == kPhaseFollow ? 3 : 0;
}

PixelPoint TablePainter::OutButtonPos(int i) const {
    const PixelPoint o = layout_.OutPaiPos[2];
    const int c = OutButtonCount();
    return {o.x - (c * 69 - 8) / 2 + i * 69, o.y + (PkHeight - 28) / 2};
}

void TablePainter::PaintUserOutBut(int i) {
    const int state = context_.controls.bteOutState[static_cast<std::size_t>(i)];
    const QImage* sheet = images_.App("Res\\UserOutBut.bmp");
    if (i >= OutButtonCount() || (state != 1 && state != 2) || !sheet) {
        return;
    }
    const PixelPoint at = OutButtonPos(i);
    BlitMaskedCell(*sheet, (i + (state - 1) * 3) * 61, 366, 61, 28, at.x, at.y);
}

void TablePainter::ShowUserOutBut(bool show) {
    auto& states = context_.controls.bteOutState;
    states = {0, 0, 0};
    if (show) {
        for (int i = 0; i < OutButtonCount(); ++i) {
            states[static_cast<std::size_t>(i)] = 1;
            PaintUserOutBut(i);
        }
        return;
    }
    const PixelPoint o = layout_.OutPaiPos[2];
    RestoreGameBack(o.x - 99, o.y + 38, 199, 28);
    RestoreGameBackMid(o.x - 99, o.y + 38, 199, 28);
}

int TablePainter::GetUserOutButIndex(int x, int y) const {
    if (context_.controls.bteOutState[0] == 0 || OutButtonCount() == 0) {
        return -1;
    }
    for (int i = 0; i < OutButtonCount(); ++i) {
        const PixelPoint b = OutButtonPos(i);
        if (b.x < x && x < b.x + 61 && b.y < y && y < b.y + 28) {
            return i;
        }
    }
    return -1;
}

int TablePainter::LiangButtonCount() const {
    return context_.game.bteLiangMode == 1 ? 2 : context_.game.bteLiangMode == 2 ? 3 : 0;
}

PixelPoint TablePainter::LiangButtonPos(int i) const {
    const PixelPoint o = layout_.OutPaiPos[2];
    const int c = LiangButtonCount();
    return {o.x - (c * 98 - 8) / 2 + i * 98, o.y + (PkHeight - 20) / 2};
}

void TablePainter::PaintLiangBut(int i) {
    const GameState& g = context_.game;
    const int state = context_.controls.bteLiangState[static_cast<std::size_t>(i)];
    const QImage* sheet = images_.App("Res\\LiangHong10.bmp");
    if (i >= LiangButtonCount() || (state != 1 && state != 2) || !sheet) {
        return;
    }
    static const char* const follow[2] = {"跟  亮", "不  跟"};
    static const char* const one[2] = {"亮一个红10", "我不亮红10"};
    static const char* const both[3] = {"亮一个红10", "亮两个红10", "我不亮红10"};
    const std::string caption = g.bteLiangMode == 2 ? both[i] : g.blnFollowLiang != 0 ? follow[i] : one[i];
    const PixelPoint at = LiangButtonPos(i);
    BlitMaskedCell(*sheet, (state - 1) * 90, 180, 90, 20, at.x, at.y);
    const int d = g.blnFollowLiang != 0 ? 13 : 0;
    PrintText(at.x + 15 + d + 1, at.y + 4 + 1, caption, Qt::white, 9, false);
    PrintText(at.x + 15 + d, at.y + 4, caption, QColor(0, 0, 50), 9, false);
}

void TablePainter::ShowLiangBut(bool show) {
    GameState& g = context_.game;
    if (show) {
        context_.controls.bteLiangState = {0, 0, 0};
        if (g.bteGameState == kPhaseShowing && (g.bteLiangMode == 1 || g.bteLiangMode == 2)) {
            for (int i = 0; i < LiangButtonCount(); ++i) {
                context_.controls.bteLiangState[static_cast<std::size_t>(i)] = 1;
                PaintLiangBut(i);
            }
        }
        return;
    }
    g.bteLiangMode = 0;
    g.blnFollowLiang = 0;
    context_.controls.bteLiangState = {0, 0, 0};
    const PixelPoint o = layout_.OutPaiPos[2];
    RestoreGameBack(o.x - 143, o.y + 42, 286, 20);
    RestoreGameBackMid(o.x - 143, o.y + 42, 286, 20);
}

int TablePainter::GetLiangButIndex(int x, int y) const {
    const GameState& g = context_.game;
    if (context_.controls.bteLiangState[0] == 0 || g.bteGameState != kPhaseShowing ||
        (g.bteLiangMode != 1 && g.bteLiangMode != 2)) {
        return -1;
    }
    for (int i = 0; i < LiangButtonCount(); ++i) {
        const PixelPoint b = LiangButtonPos(i);
        if (b.x < x && x < b.x + 90 && b.y < y && y < b.y + 20) {
            return i;
        }
    }
    return -1;
}

std::int32_t TablePainter::CardAt(int x, int y) const {
    // One flag per card, as the hand is drawn.
    std::vector<std::uint8_t> selected = context_.game.bteSelected;
    selected.resize(context_.game.bteMyPai.size(), 0);
    return GetMyPaiIndex(x, y, layout_.PaiPos[2], selected);
}

// --- panels ------------------------------------------------------------------------------

void TablePainter::PaintWaitMsg() {
    const QImage& s = area_.Surface();
    const int x0 = (s.width() - 250) / 2;
    const int y0 = (s.height() - 51) / 2 - 20;
    if (const QImage* middle = images_.App("Res\\MsgMid.bmp")) {
        for (int i = 0; i < 250 / 6; ++i) {
            Blit(area_.Surface(), x0 + 4 + i * 6, y0, middle->width(), middle->height(), *middle, 0, 0,
                 RasterOp::Copy);
        }
    }
    if (const QImage* edge = images_.App("Res\\MsgBian.bmp")) {
        BlitMaskedCell(*edge, 0, 18, 18, 51, x0, y0 - 5);
        BlitMaskedCell(*edge, 0, 18, 18, 51, x0 + 250 + 18 - 2, y0 - 5, true);
    }
    PrintText(x0 + 18 + 30, y0 + 11, "其他玩家正在亮红10，请稍等...", Qt::black, 9, false);
    Update(x0, y0 - 5, 270, 62);
}

void TablePainter::PaintMsgFrame(int x, int y, int width, int height) {
    QImage& s = area_.Surface();
    const int r = x + width;
    const int b = y + height;
    {
        QPainter p(&s);
        p.fillRect(QRect(QPoint(x + 18, y + 28), QPoint(r - 18, b - 28)), QColor(247, 207, 156));
    }
    Update(x, y, width + 1, height + 1);
    const QImage* sheet = images_.App("Res\\ModeMsg.bmp");
    if (!sheet) {
        return;
    }
    BlitMaskedCell(*sheet, 0, 18, 18, 28, x, y);
    BlitMaskedCell(*sheet, 0, 18, 18, 28, r, y, true);
    BlitMaskedCell(*sheet, 36, 54, 18, 28, x, b - 28);
    BlitMaskedCell(*sheet, 36, 54, 18, 28, r, b - 28, true);
    // Edges run up to the corners' inner ends, the last piece cut to fit.
    for (int px = x + 18; px <= r - 18; px += 18) {
        const int w = std::min(18, r - 18 - px + 1);
        Blit(s, px, y, w, 28, *sheet, 4 * 18, 0, RasterOp::Copy);
        Blit(s, px, b - 28, w, 28, *sheet, 5 * 18, 0, RasterOp::Copy);
    }
    for (int py = y + 28; py < b - 28; py += 28) {
        const int h = std::min(28, b - 28 - py + 1);
        Blit(s, x, py, 18, h, *sheet, 6 * 18, 0, RasterOp::Copy);
        BlitPicture(s, r, py, -18, h, sheet->copy(6 * 18, 0, 18, h), RasterOp::Copy);
    }
}

void TablePainter::PaintGameResult(const std::array<std::int32_t, 4>& scores) {
    const QImage& s = area_.Surface();
    if (scores[0] == 0) {
        const int x = (s.width() - 240) / 2;
        const int y = (s.height() - 140) / 2;
        PaintMsgFrame(x, y, 240, 140);
        PrintText(x + 60, y + 60, "本轮和局！", QColor(0, 0, 250), 20, true, "黑体");
        return;
    }
    const int x = (s.width() - 340) / 2;
    const int y = (s.height() - 210) / 2;
    PaintMsgFrame(x, y, 340, 210);
    PrintText(x + 110, y + 35, "游戏结束", QColor(0, 0, 250), 20, true, "黑体");
    {
        QPainter p(&area_.Surface());
        p.setPen(QColor(230, 230, 230));
        p.drawLine(x + 30, y + 69, x + 310, y + 69);
        p.setPen(QColor(30, 30, 30));
        p.drawLine(x + 30, y + 70, x + 310, y + 70);
    }
    for (int seat = 0; seat < 4; ++seat) {
        const int row = y + 90 + seat * 25;
        PrintText(x + 60, row, context_.game.udtUser[static_cast<std::size_t>(seat)].strUserName,
                  Qt::black, 10, false);
        PrintText(x + 240, row, std::to_string(scores[static_cast<std::size_t>(seat)]), Qt::black, 10, false);
    }
}

// --- the bomb ------------------------------------------------------------------------------

void TablePainter::PlayBomb(std::uint8_t seat, std::uint8_t kind) {
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

    context_.controls.blnBombPlaying = true;
    QImage& s = area_.Surface();
    QImage saved(w, h, QImage::Format_RGB32);
    saved.fill(Qt::black);
    Blit(saved, 0, 0, w, h, s, x, y, RasterOp::Copy);
    clsPaintImageByNullBack blitter;
    for (int i = 1; i <= last; ++i) {
        const std::string name = prefix + (i < 10 ? "0" : "") + std::to_string(i) + ".jpg";
        const QImage* frame = images_.App(name);
        if (!frame) {
            continue;  // a missing frame costs no time
        }
        Blit(s, x, y, w, h, saved, 0, 0, RasterOp::Copy);
        blitter.PictureBox_PaintImageByNullBack(s, *frame, key, x, y);
        Update(x, y, w, h);
        if (waiter_ && !waiter_->WaitTime(delay)) {
            break;
        }
    }
    Blit(s, x, y, w, h, saved, 0, 0, RasterOp::Copy);
    Update(x, y, w, h);
    context_.controls.blnBombPlaying = false;
}

}  // namespace redten
