#pragma once

#include <functional>
#include <string>

#include "components/ro_clock.h"
#include "state/notices.h"
#include "game/hand_interaction.h"
#include "state/table_view.h"
#include "render/game_area.h"
#include "render/image_store.h"
#include "render/table_layout.h"
#include "state/client_context.h"

namespace redten {

// Draws the table into the game area: cloth, rails and centre picture, the
// seats with faces and names, every hand, the played cards and the seats'
// marks. It is the game flow's TableView; what it does not draw yet
// (buttons, panels, clock, the bomb) it leaves alone.
class TablePainter final : public NullTableView, public TableButtons {
public:
    TablePainter(ClientContext& context, GameArea& area, ImageStore& images);

    // The layout for the area's size; then everything again.
    void OnResized();
    const TableLayout& Layout() const { return layout_; }
    // The turn clock whose seat and seconds are drawn, and the wait the bomb
    // animation pauses with between frames.
    void SetClock(const RoClock* clock) { clock_ = clock; }
    void SetWaiter(Waiter* waiter) { waiter_ = waiter; }
    // Where the start button goes; the window owns the button.
    std::function<void(bool visible, const std::string& caption, PixelPoint at)> startButton;

    // TableView
    void RepaintTable() override;
    void PaintHand(std::uint8_t seat) override { PaintUserPai(seat); }
    void PaintCardCount(std::uint8_t seat) override { PaintRestPai(seat); }
    void PaintOutPai(std::uint8_t seat) override { PaintSeatOutPai(seat); }
    void ClearSeatPlace(std::uint8_t seat) override { ClearSeatOutPai(seat); }
    void RepaintOutArea(bool previousTrick) override { PaintAllOutPai(previousTrick); }
    void PaintLiangFlag(std::uint8_t seat) override;
    void PaintMingCi(std::uint8_t seat) override;
    void PaintReadyHand(std::uint8_t seat) override;
    void PaintSeatFace(std::uint8_t seat) override { PaintUser(seat); }
    void PaintNetBreak(std::uint8_t seat) override;
    void PaintOptionButtons() override;
    void ShowOutButtons() override { ShowUserOutBut(true); }
    void HideOutButtons() override { ShowUserOutBut(false); }
    void ShowLiangPanel() override { ShowLiangBut(true); }
    void HideLiangPanel() override { ShowLiangBut(false); }
    void ShowWaitNotice() override { PaintWaitMsg(); }
    void ShowResult(const std::array<std::int32_t, 4>& scores) override { PaintGameResult(scores); }
    void PlayBomb(std::uint8_t seat, std::uint8_t kind) override;
    void PaintClock() override { PaintClock(true); }
    void EraseClock() override { PaintClock(false); }
    void UpdateStartButton(bool visible, const std::string& caption) override;

    // The clock, the buttons and the panels.
    void PaintTimeBar();
    void PaintClock(bool show);
    void PaintUserOptBut(int i) override;
    int GetUserOptButIndex(int x, int y) const override;
    void ShowUserOutBut(bool show);
    void PaintUserOutBut(int i) override;
    int GetUserOutButIndex(int x, int y) const override;
    void ShowLiangBut(bool show);
    void PaintLiangBut(int i) override;
    int GetLiangButIndex(int x, int y) const override;
    std::int32_t CardAt(int x, int y) const override;
    void SetToolTip(const std::string& tip) override { area_.setToolTip(QString::fromStdString(tip)); }
    void PaintWaitMsg();
    void PaintGameResult(const std::array<std::int32_t, 4>& scores);
    void PaintMsgFrame(int x, int y, int width, int height);
    // Button places, for painting and for the hit tests.
    PixelPoint OutButtonPos(int i) const;
    PixelPoint LiangButtonPos(int i) const;
    int OutButtonCount() const;
    int LiangButtonCount() const;

    // The painters, by their table names.
    void PaintGameBack();
    void RestoreGameBack(int x, int y, int w, int h);
    void RestoreGameBackMid(int x, int y, int w, int h);
    void PaintUser(std::uint8_t seat);
    void PaintUserPai(std::uint8_t seat);
    void PaintMyPai() override;
    void PaintMyPaiAround(std::int32_t k) override;
    void PaintPaiRow(const CardList& cards, int x, int y);
    void PaintAllOutPai(bool previousTrick) override;
    void PaintSeatOutPai(std::uint8_t seat);
    void ClearSeatOutPai(std::uint8_t seat);
    void PaintRestPai(std::uint8_t seat);

private:
    std::uint8_t Place(std::uint8_t seat) const { return context_.define.ViewPos[seat & 3] & 3; }
    void Update(int x, int y, int w, int h);
    // The anchors for the area's size and the current game settings.
    void CalcLayout();
    void PaintSeatCards(std::uint8_t seat, const CardList& cards);
    // Where a seat's revealed cards lie, by display position (not the own one).
    QRect OpenPaiRect(std::uint8_t place, int count) const;
    // Restores the cloth over a seat's revealed cards, its count and its badge.
    void EraseOpenPai(std::uint8_t seat);
    void EraseRestPai(std::uint8_t seat);
    int RestPaiWidth(std::uint8_t place) const;
    void EraseMingCi(std::uint8_t seat);
    // A seat's name at its place, noting the box it took.
    void PrintName(std::uint8_t place, const std::string& name);
    // The part of a rectangle within the table's rails.
    QRect InsideRails(const QRect& r) const;
    // The box the text took.
    QRect PrintText(int x, int y, const std::string& text, QColor colour, int points, bool bold,
                    const char* face = "宋体");
    void BlitMaskedCell(const QImage& sheet, int cellX, int maskX, int w, int h, int x, int y,
                        bool mirrored = false);
    const QImage* Face(std::uint8_t seat);

    ClientContext& context_;
    GameArea& area_;
    ImageStore& images_;
    TableLayout layout_;
    QImage cloth_;
    QImage netBreak_;
    const RoClock* clock_ = nullptr;
    Waiter* waiter_ = nullptr;
    bool GameBackPainted = true;
    bool repainting_ = false;
    // Where each place's name was printed: a name can be wider than the
    // block a seat clears when it empties.
    std::array<QRect, 4> nameBoxes_;
    // The start button as the turn flow last asked for it, placed again when
    // the area changes size.
    bool startKnown_ = false;
    bool startVisible_ = false;
    std::string startCaption_;
};

}  // namespace redten
