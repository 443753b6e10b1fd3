#include "game/hand_interaction.h"

namespace redten {

HandInteraction::HandInteraction(ClientContext& context, TurnFlow& flow, TableView& view)
    : context_(context), game_(context.game), flow_(flow), view_(view) {
    tmrPaintLastOutPai.setInterval(1000);
    connect(&tmrPaintLastOutPai, &QTimer::timeout, this, &HandInteraction::OnPaintLastOutPaiTick);
}

bool HandInteraction::PlaysNow() const {
    return !context_.define.blnPangGuan && game_.bteCurSeat == context_.define.bteViewSeat &&
           context_.controls.bteOutState[0] != ButtonState::Hidden &&
           (game_.bteGameState == kPhaseLead || game_.bteGameState == kPhaseFollow);
}

void HandInteraction::Hover(ButtonState* states, int count, int under, bool option) {
    const auto dimOthers = [&](int except) {
        for (int i = 0; i < count; ++i) {
            if (i != except && states[i] == ButtonState::Lit) {
                states[i] = ButtonState::Shown;
                view_.Changed();
            }
        }
    };
    if (under < 0 || under >= count) {
        dimOthers(-1);
        if (option) {
            hits_->SetToolTip("");
        }
        return;
    }
    if (states[under] == ButtonState::Hidden) {
        if (option) {
            hits_->SetToolTip("");
        }
        return;
    }
    if (states[under] == ButtonState::Shown) {
        dimOthers(under);
        states[under] = ButtonState::Lit;
        view_.Changed();
        if (option) {
            hits_->SetToolTip(context_.controls.strOptionTip[static_cast<std::size_t>(under)]);
        }
    }
}

void HandInteraction::MouseMove(int x, int y) {
    TableControls& c = context_.controls;
    if (c.bteOptionState[0] != ButtonState::Hidden) {
        Hover(c.bteOptionState.data(), 2, hits_->GetUserOptButIndex(x, y), true);
    }
    if (game_.bteGameState == kPhaseShowing && game_.bteLiangMode != 0 && c.bteLiangState[0] != ButtonState::Hidden) {
        Hover(c.bteLiangState.data(), game_.bteLiangMode == 1 ? 2 : 3, hits_->GetLiangButIndex(x, y), false);
    }
    if ((game_.bteGameState == kPhaseLead || game_.bteGameState == kPhaseFollow) &&
        c.bteOutState[0] != ButtonState::Hidden) {
        Hover(c.bteOutState.data(), game_.bteGameState == kPhaseLead ? 1 : 3, hits_->GetUserOutButIndex(x, y), false);
    }
}

void HandInteraction::MouseUp(MouseButton button, int x, int y) {
    const TableControls& c = context_.controls;
    // A button takes the click before anything under it.
    if (c.bteOptionState[0] != ButtonState::Hidden) {
        const int i = hits_->GetUserOptButIndex(x, y);
        if (i == 0 && c.bteOptionState[0] == ButtonState::Lit) {
            Sort();
        } else if (i == 1 && c.bteOptionState[1] == ButtonState::Lit) {
            ShowPreviousTrick();
        }
    }
    if (c.bteLiangState[0] != ButtonState::Hidden && game_.bteGameState == kPhaseShowing) {
        const int i = hits_->GetLiangButIndex(x, y);
        if (i >= 0 && c.bteLiangState[static_cast<std::size_t>(i)] == ButtonState::Lit) {
            if (i == 0) {
                flow_.SendLiang(ShowingChoice::One);
            } else if (i == 1) {
                flow_.SendLiang(game_.bteLiangMode == 1 ? ShowingChoice::None : ShowingChoice::All);
            } else {
                flow_.SendLiang(ShowingChoice::None);
            }
        }
    }
    if (PlaysNow()) {
        const int i = hits_->GetUserOutButIndex(x, y);
        if (i >= 0 && i <= 2 && c.bteOutState[static_cast<std::size_t>(i)] == ButtonState::Lit) {
            if (!context_.BlastRunning()) {
                flow_.DoUserOut(static_cast<PlayAction>(i));
            }
            return;
        }
    }
    // A left click on a card selects it or lets it go; a right click
    // plays whatever is selected.
    const std::int32_t d = hits_->CardAt(x, y);
    if (d >= 1) {
        if (button == MouseButton::Left) {
            if (!context_.define.blnPangGuan) {
                game_.bteSelected.resize(game_.bteMyPai.size(), 0);
                if (static_cast<std::size_t>(d) <= game_.bteSelected.size()) {
                    auto& flag = game_.bteSelected[static_cast<std::size_t>(d - 1)];
                    flag = flag == 0 ? 1 : 0;
                    view_.Changed();
                }
            }
        } else if (button == MouseButton::Right && PlaysNow()) {
            if (!context_.BlastRunning()) {
                flow_.DoUserOut(PlayAction::Play);
            }
            return;
        }
    }
    // Off the cards too, so the right button works anywhere on the table.
    if (button == MouseButton::Right && PlaysNow() && !context_.BlastRunning()) {
        flow_.DoUserOut(PlayAction::Play);
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
    view_.Changed();
}

void HandInteraction::ShowPreviousTrick() {
    lastOutPaiTag_ = 2;
    context_.scene.previousTrick = true;
    view_.Changed();
    tmrPaintLastOutPai.start();
}

void HandInteraction::OnPaintLastOutPaiTick() {
    if (--lastOutPaiTag_ < 1) {
        tmrPaintLastOutPai.stop();
        context_.scene.previousTrick = false;
        view_.Changed();
    }
}

}  // namespace redten
