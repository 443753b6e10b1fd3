#pragma once

#include <functional>
#include <string>

#include "game/table_view.h"
#include "render/game_area.h"
#include "render/image_store.h"
#include "render/table_layout.h"
#include "startup/client_context.h"

namespace redten {

// Draws the table into the game area: cloth, rails and centre picture, the
// seats with faces and names, every hand, the played cards and the seats'
// marks. It is the game flow's TableView; what it does not draw yet
// (buttons, panels, clock, the bomb) it leaves alone.
class TablePainter final : public NullTableView {
public:
    TablePainter(ClientContext& context, GameArea& area, ImageStore& images);

    // The layout for the area's size; then everything again.
    void OnResized();
    const TableLayout& Layout() const { return layout_; }
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
    void UpdateStartButton(bool visible, const std::string& caption) override;

    // The painters, by their table names.
    void PaintGameBack();
    void RestoreGameBack(int x, int y, int w, int h);
    void RestoreGameBackMid(int x, int y, int w, int h);
    void PaintUser(std::uint8_t seat);
    void PaintUserPai(std::uint8_t seat);
    void PaintMyPai();
    void PaintPaiRow(const CardList& cards, int x, int y);
    void PaintAllOutPai(bool previousTrick);
    void PaintSeatOutPai(std::uint8_t seat);
    void ClearSeatOutPai(std::uint8_t seat);
    void PaintRestPai(std::uint8_t seat);

private:
    std::uint8_t Place(std::uint8_t seat) const { return context_.define.ViewPos[seat & 3] & 3; }
    void Update(int x, int y, int w, int h);
    void PaintSeatCards(std::uint8_t seat, const CardList& cards);
    void PrintText(int x, int y, const std::string& text, QColor colour, int points, bool bold);
    const QImage* Face(std::uint8_t seat);

    ClientContext& context_;
    GameArea& area_;
    ImageStore& images_;
    TableLayout layout_;
    QImage cloth_;
    QImage netBreak_;
    bool GameBackPainted = true;
    bool repainting_ = false;
};

}  // namespace redten
