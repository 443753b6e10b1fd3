#pragma once

#include <functional>
#include <string>

#include "components/ro_clock.h"
#include "game/hand_interaction.h"
#include "render/action_buttons.h"
#include "render/bomb_animation.h"
#include "render/game_area.h"
#include "render/image_store.h"
#include "render/notice_panels.h"
#include "render/table_canvas.h"
#include "render/table_layout.h"
#include "state/client_context.h"
#include "state/table_view.h"

namespace redten {

// Draws the table into the game area: cloth, rails and centre picture, the
// seats with faces and names, every hand, the played cards, the seats' marks
// and the turn clock. It is the game flow's TableView and the hand's
// TableButtons: the buttons, the panels and the bomb are drawn by parts of
// their own, which it holds and lays out with the table.
class TablePainter final : public NullTableView, public TableButtons {
public:
    TablePainter(ClientContext& context, GameArea& area, ImageStore& images);

    // The layout for the area's size; then everything again.
    void OnResized();
    const TableLayout& Layout() const { return layout_; }
    // The turn clock whose seat and seconds are drawn.
    void SetClock(const RoClock* clock) { clock_ = clock; }
    // The parts drawn over the table.
    ActionButtons& Buttons() { return buttons_; }
    NoticePanels& Panels() { return panels_; }
    BombAnimation& Bomb() { return bomb_; }
    TableCanvas& Canvas() { return canvas_; }
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
    void PaintOptionButtons() override { buttons_.PaintOptionButtons(); }
    void ShowOutButtons() override { buttons_.ShowUserOutBut(true); }
    void HideOutButtons() override { buttons_.ShowUserOutBut(false); }
    void ShowLiangPanel() override { buttons_.ShowLiangBut(true); }
    void HideLiangPanel() override { buttons_.ShowLiangBut(false); }
    void ShowWaitNotice() override { panels_.PaintWaitMsg(); }
    void ShowResult(const GameResult& result) override { panels_.PaintGameResult(result); }
    void PlayBomb(std::uint8_t seat, std::uint8_t kind) override { bomb_.Play(seat, kind); }
    void PaintClock() override { PaintClock(true); }
    void EraseClock() override { PaintClock(false); }
    void UpdateStartButton(bool visible, const std::string& caption) override;

    // TableButtons: the buttons' own, and the card under a point.
    void PaintUserOptBut(int i) override { buttons_.PaintUserOptBut(i); }
    int GetUserOptButIndex(int x, int y) const override { return buttons_.GetUserOptButIndex(x, y); }
    void PaintUserOutBut(int i) override { buttons_.PaintUserOutBut(i); }
    int GetUserOutButIndex(int x, int y) const override { return buttons_.GetUserOutButIndex(x, y); }
    void PaintLiangBut(int i) override { buttons_.PaintLiangBut(i); }
    int GetLiangButIndex(int x, int y) const override { return buttons_.GetLiangButIndex(x, y); }
    std::int32_t CardAt(int x, int y) const override;
    void SetToolTip(const std::string& tip) override { canvas_.Area().setToolTip(QString::fromStdString(tip)); }

    // The clock.
    void PaintTimeBar();
    void PaintClock(bool show);

    // The painters, by their table names.
    void PaintGameBack();
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
    const QImage* Face(std::uint8_t seat);

    ClientContext& context_;
    TableCanvas canvas_;
    ImageStore& images_;
    TableLayout layout_;
    ActionButtons buttons_;
    NoticePanels panels_;
    BombAnimation bomb_;
    QImage netBreak_;
    const RoClock* clock_ = nullptr;
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
