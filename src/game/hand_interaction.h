#pragma once

#include <QObject>
#include <QTimer>

#include <string>

#include "game/turn_flow.h"
#include "state/client_context.h"

namespace redten {

// What the mouse needs from the table's picture: which card or button lies
// under a point, as the last frame drew them, and the tip beside it.
class TableHits {
public:
    virtual ~TableHits() = default;
    virtual std::int32_t CardAt(int x, int y) const = 0;  // 1-based own card, or -1
    virtual int GetUserOptButIndex(int x, int y) const = 0;
    virtual int GetUserOutButIndex(int x, int y) const = 0;
    virtual int GetLiangButIndex(int x, int y) const = 0;
    virtual void SetToolTip(const std::string& tip) = 0;
};

// Nothing is under the mouse while no picture is shown.
class NoTableHits final : public TableHits {
public:
    std::int32_t CardAt(int, int) const override { return -1; }
    int GetUserOptButIndex(int, int) const override { return -1; }
    int GetUserOutButIndex(int, int) const override { return -1; }
    int GetLiangButIndex(int, int) const override { return -1; }
    void SetToolTip(const std::string&) override {}
};

enum class MouseButton { Left, Right, Other };

// The player at the table with the mouse: hovering lights buttons, a left
// click picks a card up or puts it back, a right click or the play button
// plays the selection, and the option buttons sort the hand or show the
// previous trick for a moment.
class HandInteraction final : public QObject {
    Q_OBJECT
public:
    HandInteraction(ClientContext& context, TurnFlow& flow, TableView& view);
    // Where the picture's cards and buttons are; none while none is shown.
    void SetHits(TableHits* hits) { hits_ = hits ? hits : &noHits_; }

    void MouseMove(int x, int y);
    // A press lights what is under it, as a move there would: a button that
    // appeared under a still pointer still takes the click.
    void MouseDown(int x, int y) { MouseMove(x, y); }
    void MouseUp(MouseButton button, int x, int y);
    // One second of the previous-trick display (the timer calls it).
    void OnPaintLastOutPaiTick();
    void SetSecondMs(int ms) { tmrPaintLastOutPai.setInterval(ms); }
    bool ShowingPreviousTrick() const { return context_.scene.previousTrick; }

private:
    // Lights the button under the mouse and dims the others of its group.
    void Hover(ButtonState* states, int count, int under, bool option);
    void Sort();
    void ShowPreviousTrick();
    bool PlaysNow() const;

    ClientContext& context_;
    GameState& game_;
    TurnFlow& flow_;
    TableView& view_;
    NoTableHits noHits_;
    TableHits* hits_ = &noHits_;
    QTimer tmrPaintLastOutPai;
    int lastOutPaiTag_ = 0;
    bool blnSortPlain = false;
};

}  // namespace redten
