#include "game/hand_interaction.h"

namespace redten {

HandInteraction::HandInteraction(ClientContext& context, TurnFlow& flow)
    : context_(context), game_(context.game), flow_(flow) {
    tmrPaintLastOutPai.setInterval(1000);
    connect(&tmrPaintLastOutPai, &QTimer::timeout, this, &HandInteraction::OnPaintLastOutPaiTick);
}

bool HandInteraction::PlaysNow() const {
    return !context_.define.blnPangGuan && game_.bteCurSeat == context_.define.bteViewSeat &&
           context_.controls.bteOutState[0] != ButtonState::Hidden &&
           (game_.bteGameState == kPhaseLead || game_.bteGameState == kPhaseFollow);
}

std::optional<std::string> HandInteraction::Hover(ButtonState* states, int count, int under, bool option) {
    const auto dimOthers = [&](int except) {
        for (int i = 0; i < count; ++i) {
            if (i != except && states[i] == ButtonState::Lit) {
                states[i] = ButtonState::Shown;
                context_.Changed();
            }
        }
    };
    const std::optional<std::string> noTip = option ? std::optional<std::string>("") : std::nullopt;
    if (under < 0 || under >= count) {
        dimOthers(-1);
        return noTip;
    }
    if (states[under] == ButtonState::Hidden) {
        return noTip;
    }
    if (states[under] != ButtonState::Shown) {
        return std::nullopt;  // lit already
    }
    dimOthers(under);
    states[under] = ButtonState::Lit;
    context_.Changed();
    if (!option) {
        return std::nullopt;
    }
    return context_.controls.strOptionTip[static_cast<std::size_t>(under)];
}

std::optional<std::string> HandInteraction::MouseMove(const TablePoint& at) {
    TableControls& c = context_.controls;
    std::optional<std::string> tip;
    if (c.bteOptionState[0] != ButtonState::Hidden) {
        tip = Hover(c.bteOptionState.data(), 2, at.option, true);
    }
    if (game_.bteGameState == kPhaseShowing && game_.bteLiangMode != 0 && c.bteLiangState[0] != ButtonState::Hidden) {
        Hover(c.bteLiangState.data(), game_.bteLiangMode == 1 ? 2 : 3, at.showing, false);
    }
    if ((game_.bteGameState == kPhaseLead || game_.bteGameState == kPhaseFollow) &&
        c.bteOutState[0] != ButtonState::Hidden) {
        Hover(c.bteOutState.data(), game_.bteGameState == kPhaseLead ? 1 : 3, at.play, false);
    }
    return tip;
}

void HandInteraction::MouseUp(MouseButton button, const TablePoint& at) {
    const TableControls& c = context_.controls;
    // A button takes the click before anything under it.
    if (c.bteOptionState[0] != ButtonState::Hidden) {
        const int i = at.option;
        if (i == 0 && c.bteOptionState[0] == ButtonState::Lit) {
            Sort();
        } else if (i == 1 && c.bteOptionState[1] == ButtonState::Lit) {
            ShowPreviousTrick();
        }
    }
    if (c.bteLiangState[0] != ButtonState::Hidden && game_.bteGameState == kPhaseShowing) {
        const int i = at.showing;
        if (i >= 0 && i <= 2 && c.bteLiangState[static_cast<std::size_t>(i)] == ButtonState::Lit) {
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
        const int i = at.play;
        if (i >= 0 && i <= 2 && c.bteOutState[static_cast<std::size_t>(i)] == ButtonState::Lit) {
            if (!context_.BlastRunning()) {
                flow_.DoUserOut(static_cast<PlayAction>(i));
            }
            return;
        }
    }
    // A left click on a card selects it or lets it go; a right click
    // plays whatever is selected.
    const std::int32_t d = at.card;
    if (d >= 1) {
        if (button == MouseButton::Left) {
            if (!context_.define.blnPangGuan) {
                game_.bteSelected.resize(game_.bteMyPai.size(), 0);
                if (static_cast<std::size_t>(d) <= game_.bteSelected.size()) {
                    auto& flag = game_.bteSelected[static_cast<std::size_t>(d - 1)];
                    flag = flag == 0 ? 1 : 0;
                    context_.Changed();
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
    context_.Changed();
}

void HandInteraction::ShowPreviousTrick() {
    lastOutPaiTag_ = 2;
    context_.scene.previousTrick = true;
    context_.Changed();
    tmrPaintLastOutPai.start();
}

void HandInteraction::OnPaintLastOutPaiTick() {
    if (--lastOutPaiTag_ < 1) {
        tmrPaintLastOutPai.stop();
        context_.scene.previousTrick = false;
        context_.Changed();
    }
}

}  // namespace redten
