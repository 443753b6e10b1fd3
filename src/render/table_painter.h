#pragma once

#include "components/ro_clock.h"
#include "game/hand_interaction.h"
#include "render/action_buttons.h"
#include "render/blast_painter.h"
#include "render/game_area.h"
#include "render/image_store.h"
#include "render/notice_panels.h"
#include "render/table_canvas.h"
#include "render/table_layout.h"
#include "state/client_context.h"
#include "state/table_scene.h"

namespace redten {

// Draws the table into the game area, a whole frame at a time, from the
// game state and the scene: cloth, rails and centre picture, the seats with
// faces and names, every hand, the played cards, the seats' marks, the
// buttons, the turn clock, the panels and the blast. It also tells what
// lies under a point of the last frame.
class TablePainter final {
public:
    TablePainter(ClientContext& context, GameArea& area, ImageStore& images);

    const TableLayout& Layout() const { return layout_; }
    // The turn clock whose seat and seconds are drawn.
    void SetClock(const RoClock* clock) { clock_ = clock; }

    // The whole table as the state now is, at the area's size and density.
    void DrawFrame();

    TablePoint At(int x, int y) const;
    std::int32_t CardAt(int x, int y) const;
    int GetUserOptButIndex(int x, int y) const { return buttons_.GetUserOptButIndex(x, y); }
    int GetUserOutButIndex(int x, int y) const { return buttons_.GetUserOutButIndex(x, y); }
    int GetLiangButIndex(int x, int y) const { return buttons_.GetLiangButIndex(x, y); }

    const ActionButtons& Buttons() const { return buttons_; }

private:
    std::uint8_t Place(std::uint8_t seat) const { return context_.define.ViewPos[seat & 3] & 3; }
    // The anchors for the area's size and the current game settings.
    void CalcLayout();

    // The frame's parts, in the order they are drawn.
    void PaintGameBack();
    void PaintTimeBar();
    void PaintOutArea(bool previousTrick);
    void PaintSeatCards(std::uint8_t seat, const CardList& cards);
    void PaintUser(std::uint8_t seat);
    void PrintName(std::uint8_t place, const std::string& name);
    const QImage* Face(std::uint8_t seat);
    void PaintNetBreak(std::uint8_t seat);
    void PaintReadyHand(std::uint8_t seat);
    void PaintLiangFlag(std::uint8_t seat);
    void PaintUserPai(std::uint8_t seat);
    void PaintMyPai();
    void PaintPaiRow(const CardList& cards, int x, int y);
    void PaintMingCi(std::uint8_t seat);
    void PaintRestPai(std::uint8_t seat);
    int RestPaiWidth(std::uint8_t place) const;
    void PaintClock();

    ClientContext& context_;
    TableCanvas canvas_;
    ImageStore& images_;
    TableLayout layout_;
    ActionButtons buttons_;
    NoticePanels panels_;
    BlastPainter blast_;
    QImage netBreak_;
    QImage background_;
    const RoClock* clock_ = nullptr;
};

}  // namespace redten
