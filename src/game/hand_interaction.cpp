#include "game/hand_interaction.h"

namespace redten {

HandInteraction::HandInteraction(ClientContext& context, TurnFlow& flow, TableButtons& table)
    : context_(context), game_(context.game), flow_(flow), table_(table) {
    tmrPaintLastOutPai.setInterval(1000);
    connect(&tmrPaintLastOutPai, &QTimer::timeout, this, &HandInteraction::OnPaintLastOutPaiTick);
}

bool HandInteraction::PlaysNow() const {
    return !context_.define.blnPangGuan && game_.bteCurSeat == context_.define.bteViewSeat &&
           context_.controls.bteOutState[0] != 0 &&
           (game_.bteGameState == kPhaseLead || game_.bteGameState == kPhaseFollow);
}

void HandInteraction::Hover(std::uint8_t* states, int count, int under,
                            const std::function<void(int)>& paint, bool option) {
    const auto dimOthers = [&](int except) {
        for (int i = 0; i < count; ++i) {
            if (i != except && states[i] == 2) {
                states[i] = 1;
                paint(i);
            }
        }
    };
    if (under < 0 || under >= count) {
        dimOthers(-1);
        if (option) {
            table_.SetToolTip("");
        }
        return;
    }
    if (states[under] == 0) {
        if (option) {
            table_.SetToolTip("");
        }
        return;
    }
    if (states[under] == 1) {
        dimOthers(under);
        states[under] = 2;
        paint(under);
        if (option) {
            table_.SetToolTip(context_.controls.strOptionTip[static_cast<std::size_t>(under)]);
        }
    }
}

void HandInteraction::MouseMove(int x, int y) {
    if (context_.controls.bteOptionState[0] != 0) {
        Hover(context_.controls.bteOptionState.data(), 2, table_.GetUserOptButIndex(x, y),
              [this](int i) { table_.PaintUserOptBut(i); }, true);
    }
    if (game_.bteGameState == kPhaseShowing && game_.bteLiangMode != 0 && context_.controls.bteLiangState[0] != 0) {
        Hover(context_.controls.bteLiangState.data(), game_.bteLiangMode == 1 ? 2 : 3, table_.GetLiangButIndex(x, y),
              [this](int i) { table_.PaintLiangBut(i); }, false);
    }
    if ((game_.bteGameState == kPhaseLead || game_.bteGameState == kPhaseFollow) &&
        context_.controls.bteOutState[0] != 0) {
        Hover(context_.controls.bteOutState.data(), game_.bteGameState == kPhaseLead ? 1 : 3,
              table_.GetUserOutButIndex(x, y), [this](int i) { table_.PaintUserOutBut(i); }, false);
    }
}

void HandInteraction::MouseUp(MouseButton button, int x, int y) {
    // A button takes the click before anything under it.
    if (context_.controls.bteOptionState[0] != 0) {
        const int i = table_.GetUserOptButIndex(x, y);
        if (i == 0 && context_.controls.bteOptionState[0] == 2) {
            Sort();
        } else if (i == 1 && context_.controls.bteOptionState[1] == 2) {
            ShowPreviousTrick();
        }
    }
    if (context_.controls.bteLiangState[0] != 0 && game_.bteGameState == kPhaseShowing) {
        const int i = table_.GetLiangButIndex(x, y);
        if (i >= 0 && context_.controls.bteLiangState[static_cast<std::size_t>(i)] == 2) {
            if (i == 0) {
                flow_.SendLiang(1);
            } else if (i == 1) {
                flow_.SendLiang(game_.bteLiangMode == 1 ? 0 : 2);
            } else {
                flow_.SendLiang(0);
            }
        }
    }
    if (PlaysNow()) {
        const int i = table_.GetUserOutButIndex(x, y);
        if (i >= 0 && context_.controls.bteOutState[static_cast<std::size_t>(i)] == 2) {
            if (context_.controls.blnBombPlaying) {
                return;
            }
            flow_.DoUserOut(static_cast<std::uint8_t>(i));
            return;
        }
    }
    // A left click on a card selects it or lets it go; a right click
    // plays whatever is selected.
    const std::int32_t d = table_.CardAt(x, y);
    if (d >= 1) {
        if (button == MouseButton::Left) {
            if (!context_.define.blnPangGuan) {
                game_.bteSelected.resize(game_.bteMyPai.size(), 0);
                if (static_cast<std::size_t>(d) <= game_.bteSelected.size()) {
                    auto& flag = game_.bteSelected[static_cast<std::size_t>(d - 1)];
                    flag = flag == 0 ? 1 : 0;
                    table_.PaintMyPaiAround(d);
                }
            }
        } else if (button == MouseButton::Right && PlaysNow()) {
            if (!context_.controls.blnBombPlaying) {
                flow_.DoUserOut(0);
            }
            return;
        }
    }
    // Off the cards too, so the right button works anywhere on the table.
    if (button == MouseButton::Right && PlaysNow() && !context_.controls.blnBombPlaying) {
        flow_.DoUserOut(0);
    }
}

void HandInteraction::Sort() {
    if (game_.bteMyPai.empty()) {
        return;
    }
    if (blnSortPlain) {
        SortPai(game_.bteMyPai);
    } else {
        PaiGroups groups;
        SortPaiByGroup(game_.bteMyPai, groups);
    }
    blnSortPlain = !blnSortPlain;
    table_.PaintMyPai();
}

void HandInteraction::ShowPreviousTrick() {
    lastOutPaiTag_ = 2;
    table_.PaintAllOutPai(true);
    tmrPaintLastOutPai.start();
}

void HandInteraction::OnPaintLastOutPaiTick() {
    if (--lastOutPaiTag_ < 1) {
        tmrPaintLastOutPai.stop();
        table_.PaintAllOutPai(false);
        for (int i = 0; i < 3; ++i) {
            table_.PaintUserOutBut(i);
        }
    }
}

}  // namespace redten
