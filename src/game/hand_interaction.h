#pragma once

#include <QObject>
#include <QTimer>

#include <optional>
#include <string>

#include "game/turn_flow.h"
#include "state/client_context.h"

namespace redten {

// What lies under a point of the table, as the last frame drew it: an own
// card (1-based) and the index of a button in each group, or -1 for none.
struct TablePoint {
    std::int32_t card = -1;
    int option = -1;   // sort, previous trick
    int play = -1;     // play, pass, hint
    int showing = -1;  // the showing buttons
};

enum class MouseButton { Left, Right, Other };

// The player at the table with the mouse: hovering lights buttons, a left
// click picks a card up or puts it back, a right click or the play button
// plays the selection, and the option buttons sort the hand or show the
// previous trick for a moment.
class HandInteraction final : public QObject {
    Q_OBJECT
public:
    HandInteraction(ClientContext& context, TurnFlow& flow);

    // The tip the pointer should show now, when it changes.
    std::optional<std::string> MouseMove(const TablePoint& at);
    // A press lights what is under it, as a move there would: a button that
    // appeared under a still pointer still takes the click.
    std::optional<std::string> MouseDown(const TablePoint& at) { return MouseMove(at); }
    void MouseUp(MouseButton button, const TablePoint& at);
    // One second of the previous-trick display (the timer calls it).
    void OnPaintLastOutPaiTick();
    void SetSecondMs(int ms) { tmrPaintLastOutPai.setInterval(ms); }
    bool ShowingPreviousTrick() const { return context_.scene.previousTrick; }

private:
    // Lights the button under the mouse and dims the others of its group;
    // the option buttons' tips go with them.
    std::optional<std::string> Hover(ButtonState* states, int count, int under, bool option);
    void Sort();
    void ShowPreviousTrick();
    bool PlaysNow() const;

    ClientContext& context_;
    GameState& game_;
    TurnFlow& flow_;
    QTimer tmrPaintLastOutPai;
    int lastOutPaiTag_ = 0;
    bool blnSortPlain = false;
};

}  // namespace redten
