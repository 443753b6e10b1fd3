#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

#include "game/turn_flow.h"
#include "state/client_context.h"

namespace redten {

// What the mouse needs from the table's picture: which card or button is
// under a point, and redrawing just those.
class TableButtons {
public:
    virtual ~TableButtons() = default;
    virtual std::int32_t CardAt(int x, int y) const = 0;  // 1-based own card, or -1
    virtual int GetUserOptButIndex(int x, int y) const = 0;
    virtual int GetUserOutButIndex(int x, int y) const = 0;
    virtual int GetLiangButIndex(int x, int y) const = 0;
    virtual void PaintUserOptBut(int i) = 0;
    virtual void PaintUserOutBut(int i) = 0;
    virtual void PaintLiangBut(int i) = 0;
    virtual void PaintMyPai() = 0;
    // Only the strip of the own hand that toggling card k (1-based) changes.
    virtual void PaintMyPaiAround(std::int32_t k) = 0;
    virtual void PaintAllOutPai(bool previousTrick) = 0;
    virtual void SetToolTip(const std::string& tip) = 0;
};

enum class MouseButton { Left, Right, Other };

// The player at the table with the mouse: hovering lights buttons, a left
// click picks a card up or puts it back, a right click or the play button
// plays the selection, and the option buttons sort the hand or show the
// previous trick for a moment.
class HandInteraction final : public QObject {
    Q_OBJECT
public:
    HandInteraction(ClientContext& context, TurnFlow& flow, TableButtons& table);

    void MouseMove(int x, int y);
    // A press lights what is under it, as a move there would: a button that
    // appeared under a still pointer still takes the click.
    void MouseDown(int x, int y) { MouseMove(x, y); }
    void MouseUp(MouseButton button, int x, int y);
    // One second of the previous-trick display (the timer calls it).
    void OnPaintLastOutPaiTick();
    void SetSecondMs(int ms) { tmrPaintLastOutPai.setInterval(ms); }
    bool ShowingPreviousTrick() const { return tmrPaintLastOutPai.isActive(); }

private:
    // Lights the button under the mouse and dims the others of its group.
    void Hover(std::uint8_t* states, int count, int under, const std::function<void(int)>& paint,
               bool option);
    void Sort();
    void ShowPreviousTrick();
    bool PlaysNow() const;

    ClientContext& context_;
    GameState& game_;
    TurnFlow& flow_;
    TableButtons& table_;
    QTimer tmrPaintLastOutPai;
    int lastOutPaiTag_ = 0;
    bool blnSortPlain = false;
};

}  // namespace redten
