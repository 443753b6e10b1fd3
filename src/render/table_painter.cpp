#include "render/table_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "pictures/table_pictures.h"
#include "render/blit.h"
#include "wire/text_fields.h"

namespace redten {
namespace {

bool IsPass(const CardList& cards) { return cards.size() == 1 && cards[0] == kPassCard; }

// The pass mark's cell in its sheet (the mask beside it).
constexpr int kPassMarkWidth = 67;
constexpr int kPassMarkHeight = 34;

}  // namespace

TablePainter::TablePainter(ClientContext& context, GameArea& area, ImageStore& images)
    : context_(context),
      canvas_(area, images),
      images_(images),
      buttons_(context, canvas_, layout_),
      panels_(context, canvas_),
      blast_(context, canvas_, layout_),
      netBreak_(assets::NetBreak()) {}

void TablePainter::CalcLayout() {
    LayoutInputs in;
    in.width = canvas_.Width();
    in.height = canvas_.Height();
    const QScreen* screen = QGuiApplication::primaryScreen();
    in.smallScreen = screen && screen->geometry().width() < 801;
    in.showOtherBack = context_.game.blnShowOtherBack != 0;
    CalcUserPos(layout_, in);
}

void TablePainter::DrawFrame() {
    const GameState& g = context_.game;
    const TableScene& scene = context_.scene;
    // The area may have moved to a screen of another density.
    canvas_.SyncRatio();
    // The played cards' places follow the setting that shows the others'
    // backs, which a game's start and end and a snapshot change.
    CalcLayout();
    // The cloth, its centre picture and the rails only change with the
    // area: they are drawn once for each size and density, then copied.
    QImage& surface = canvas_.Surface();
    if (background_.size() != surface.size() || background_.devicePixelRatio() != surface.devicePixelRatio()) {
        PaintGameBack();
        background_ = surface.copy();
    } else {
        surface = background_;
    }
    PaintTimeBar();
    PaintOutArea(scene.previousTrick);
    if (!context_.define.strViewUserName.empty()) {
        for (std::uint8_t seat = 0; seat < 4; ++seat) {
            PaintUser(seat);
            PaintNetBreak(seat);
            PaintReadyHand(seat);
            if (g.blnNoDeal == 0) {
                PaintLiangFlag(seat);
                PaintUserPai(seat);
                PaintMingCi(seat);
                PaintRestPai(seat);
            }
        }
        buttons_.PaintAll();
        PaintClock();
        if (g.blnWaitLiang != 0) {
            panels_.PaintWaitMsg();
        }
    }
    if (scene.result) {
        panels_.PaintGameResult(*scene.result);
    }
    blast_.Paint(scene.blastSeat, scene.blast, scene.blastFrame);
    canvas_.Area().update();
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
    const std::uint8_t p = Place(seat);
    const std::string& name = context_.game.udtUser[seat].strUserName;
    const QImage* face = name.empty() ? nullptr : Face(seat);
    if (!face) {
        return;
    }
    const PixelPoint f = layout_.UserPos[p];
    QPainter(&canvas_.Surface()).drawImage(f.x, f.y, *face);
    PrintName(p, name);
}

void TablePainter::PrintName(std::uint8_t p, const std::string& name) {
    const PixelPoint n = layout_.UserNamePos[p];
    if (p == 0 || p == 2) {
        canvas_.PrintText(n.x, n.y, name, Qt::white, 9, false);
        return;
    }
    // Side seats: lines of eight characters, 12 pixels apart.
    const auto lines = WrapLines(name);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        canvas_.PrintText(n.x, n.y + static_cast<int>(i) * 12, lines[i], Qt::white, 9, false);
    }
}

void TablePainter::PaintNetBreak(std::uint8_t seat) {
    if (context_.game.udtUser[seat].blnOffline == 0) {
        return;
    }
    if (netBreak_.devicePixelRatio() != canvas_.Surface().devicePixelRatio()) {
        netBreak_ = assets::NetBreak(canvas_.Surface().devicePixelRatio());
    }
    const PixelPoint at = layout_.NetBreakPos[Place(seat)];
    const QSize size = LogicalSize(netBreak_);
    Blit(canvas_.Surface(), at.x, at.y, size.width(), size.height(), netBreak_, 0, 0, RasterOp::Copy);
}

void TablePainter::PaintReadyHand(std::uint8_t seat) {
    const QImage* hand = images_.App("Res\\Hand.bmp");
    if (context_.game.udtUser[seat].blnReady == 0 || !hand) {
        return;
    }
    const PixelPoint at = layout_.ReadyPos[Place(seat)];
    const QSize size = LogicalSize(*hand);
    Blit(canvas_.Surface(), at.x, at.y, size.width(), size.height(), *hand, 0, 0, RasterOp::Copy);
}

void TablePainter::PaintLiangFlag(std::uint8_t seat) {
    const UserGameInfo& u = context_.game.udtUser[seat];
    const QImage* flags = images_.App("Res\\LiangFlag.bmp");
    if (u.strUserName.empty() || !flags) {
        return;
    }
    const auto& places = layout_.LiangFlagPos[Place(seat)];
    const auto flag = [&](int which, PixelPoint at) {
        Blit(canvas_.Surface(), at.x, at.y, 32, 30, *flags, which * 32, 0, RasterOp::Copy);
    };
    switch (u.bteLiang) {
        case 1: flag(0, places[0]); break;
        case 2: flag(1, places[0]); break;
        case 3:
            flag(0, places[0]);
            flag(1, places[1]);
            break;
        default: break;
    }
}

void TablePainter::PaintMingCi(std::uint8_t seat) {
    const UserGameInfo& u = context_.game.udtUser[seat];
    const int rank = u.bteMingCi;
    const QImage* places = images_.App("Res\\MingCi.bmp");
    if (u.strUserName.empty() || rank < 1 || rank > 3 || !places) {
        return;
    }
    const PixelPoint at = layout_.MingCiPos[Place(seat)];
    Blit(canvas_.Surface(), at.x, at.y, 48, 46, *places, (rank - 1) * 48, 0, RasterOp::Copy);
}

void TablePainter::PaintRestPai(std::uint8_t seat) {
    // An empty seat has no count; a seat that is ready for the next game has
    // done with the last one's cards, and at the top its mark stands there.
    const UserGameInfo& u = context_.game.udtUser[seat];
    if (u.strUserName.empty() || u.blnReady != 0) {
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
    canvas_.PrintText(at.x, at.y, "余牌:", QColor(0, 180, 200), 11, false);
    canvas_.PrintText(digitsX, at.y - 3, count, QColor(250, 0, 200), 13, true);
}

int TablePainter::RestPaiWidth(std::uint8_t place) const {
    // The left count's place would reach 3 pixels into the hand column
    // beside it: it stops short of the column.
    const int width = 63;
    return place == 1 ? std::min(width, layout_.PaiPos[1].x - 1 - layout_.RestPaiPos[1].x) : width;
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
        x += PkStepX;
    }
}

void TablePainter::PaintMyPai() {
    const GameState& g = context_.game;
    const PixelPoint hand = layout_.PaiPos[2];
    const QImage* mask = images_.App("Res\\ResPk\\PkMask.bmp");
    const int n = static_cast<int>(g.bteMyPai.size());
    if (!mask || n == 0) {
        return;
    }
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
        const bool raised = static_cast<std::size_t>(i) < g.bteSelected.size() && g.bteSelected[i] != 0;
        BlitMasked(canvas_.Surface(), x, raised ? hand.y - kRaise : hand.y, *mask, *picture);
        x += PkStepX;
    }
}

void TablePainter::PaintUserPai(std::uint8_t seat) {
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
        return;  // ready for the next game: the mark shows instead of the last one's cards
    }
    const PixelPoint h = layout_.PaiPos[p];
    const int c = u.bteCardCount;
    QImage& s = canvas_.Surface();
    if (p == 0) {
        if (!u.bteOpenPai.empty()) {
            const int k = static_cast<int>(u.bteOpenPai.size());
            PaintPaiRow(u.bteOpenPai, h.x - ((k - 1) * PkStepX + PkWidth) / 2, h.y);
        } else if (g.blnShowOtherBack != 0) {
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
        for (int i = 0, y = h.y - ((c - 1) * PkStepY + PkHeight) / 2; i < c; ++i, y += PkStepY) {
            BlitMasked(s, h.x, y, *mask, *back);
        }
    }
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
        constexpr int w = kPassMarkWidth;
        constexpr int h = kPassMarkHeight;
        const PixelPoint at = p == 0 || p == 2 ? PixelPoint{o.x - w / 2, o.y + (PkHeight - h) / 2}
                              : p == 1      ? PixelPoint{o.x + (PkWidth - w) / 2 + 3, o.y - h / 2}
                                            : PixelPoint{o.x - (PkWidth - w) / 2 - w - 3, o.y - h / 2};
        QImage& s = canvas_.Surface();
        Blit(s, at.x, at.y, w, h, *mark, w, 0, RasterOp::And);
        Blit(s, at.x, at.y, w, h, *mark, 0, 0, RasterOp::Or);
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

void TablePainter::PaintOutArea(bool previousTrick) {
    for (std::uint8_t seat = 0; seat < 4; ++seat) {
        const UserGameInfo& u = context_.game.udtUser[seat];
        PaintSeatCards(seat, previousTrick ? u.bteLastOutPai : u.bteOutPai);
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
}

void TablePainter::PaintClock() {
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
    const int ticks = clock_->Elapsed();
    if (const QImage* frames = images_.App("Res\\Clock.bmp")) {
        QImage& s = canvas_.Surface();
        Blit(s, at.x, at.y, 31, 38, *frames, 248, 0, RasterOp::And);
        Blit(s, at.x, at.y, 31, 38, *frames, (ticks % 8) * 31, 0, RasterOp::Or);
    }
    const int limit = g.bteGameState == kPhaseShowing ? g.bteLiangTime : g.bteOutTime;
    canvas_.PrintText(63, 45, std::to_string(limit - ticks), QColor(255, 255, 0), 9, true, "黑体");
}

// --- the own hand under the mouse ----------------------------------------------------------

TablePoint TablePainter::At(int x, int y) const {
    return {CardAt(x, y), GetUserOptButIndex(x, y), GetUserOutButIndex(x, y), GetLiangButIndex(x, y)};
}

std::int32_t TablePainter::CardAt(int x, int y) const {
    // One flag per card, as the hand is drawn.
    std::vector<std::uint8_t> selected = context_.game.bteSelected;
    selected.resize(context_.game.bteMyPai.size(), 0);
    return GetMyPaiIndex(x, y, layout_.PaiPos[2], selected);
}

}  // namespace redten
