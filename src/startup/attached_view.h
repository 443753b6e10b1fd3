#pragma once

#include "game/hand_interaction.h"
#include "state/table_view.h"

namespace redten {

// The table's picture as a session sees it: the painters of the window that
// shows the session, or nothing while no window does. The flow and the hand
// hold on to this one for their whole life; windows come and go behind it.
class AttachedView final : public TableView, public TableButtons {
public:
    void Attach(TableView* view, TableButtons* buttons) {
        view_ = view ? view : &none_;
        buttons_ = buttons;
    }

    // TableView
    void RepaintTable() override { view_->RepaintTable(); }
    void PaintHand(std::uint8_t seat) override { view_->PaintHand(seat); }
    void PaintCardCount(std::uint8_t seat) override { view_->PaintCardCount(seat); }
    void PaintOutPai(std::uint8_t seat) override { view_->PaintOutPai(seat); }
    void ClearSeatPlace(std::uint8_t seat) override { view_->ClearSeatPlace(seat); }
    void RepaintOutArea(bool previousTrick) override { view_->RepaintOutArea(previousTrick); }
    void PaintLiangFlag(std::uint8_t seat) override { view_->PaintLiangFlag(seat); }
    void PaintMingCi(std::uint8_t seat) override { view_->PaintMingCi(seat); }
    void PaintReadyHand(std::uint8_t seat) override { view_->PaintReadyHand(seat); }
    void PaintSeatFace(std::uint8_t seat) override { view_->PaintSeatFace(seat); }
    void PaintNetBreak(std::uint8_t seat) override { view_->PaintNetBreak(seat); }
    void PaintOptionButtons() override { view_->PaintOptionButtons(); }
    void ShowOutButtons() override { view_->ShowOutButtons(); }
    void HideOutButtons() override { view_->HideOutButtons(); }
    void ShowLiangPanel() override { view_->ShowLiangPanel(); }
    void HideLiangPanel() override { view_->HideLiangPanel(); }
    void ShowWaitNotice() override { view_->ShowWaitNotice(); }
    void ShowResult(const GameResult& result) override { view_->ShowResult(result); }
    void PlayBomb(std::uint8_t seat, std::uint8_t effect) override { view_->PlayBomb(seat, effect); }
    void PaintClock() override { view_->PaintClock(); }
    void EraseClock() override { view_->EraseClock(); }
    void UpdateStartButton(bool visible, const std::string& caption) override {
        view_->UpdateStartButton(visible, caption);
    }

    // TableButtons: with nothing shown, nothing is under the mouse.
    std::int32_t CardAt(int x, int y) const override { return buttons_ ? buttons_->CardAt(x, y) : -1; }
    int GetUserOptButIndex(int x, int y) const override {
        return buttons_ ? buttons_->GetUserOptButIndex(x, y) : -1;
    }
    int GetUserOutButIndex(int x, int y) const override {
        return buttons_ ? buttons_->GetUserOutButIndex(x, y) : -1;
    }
    int GetLiangButIndex(int x, int y) const override {
        return buttons_ ? buttons_->GetLiangButIndex(x, y) : -1;
    }
    void PaintUserOptBut(int i) override {
        if (buttons_) {
            buttons_->PaintUserOptBut(i);
        }
    }
    void PaintUserOutBut(int i) override {
        if (buttons_) {
            buttons_->PaintUserOutBut(i);
        }
    }
    void PaintLiangBut(int i) override {
        if (buttons_) {
            buttons_->PaintLiangBut(i);
        }
    }
    void PaintMyPai() override {
        if (buttons_) {
            buttons_->PaintMyPai();
        }
    }
    void PaintMyPaiAround(std::int32_t k) override {
        if (buttons_) {
            buttons_->PaintMyPaiAround(k);
        }
    }
    void PaintAllOutPai(bool previousTrick) override {
        if (buttons_) {
            buttons_->PaintAllOutPai(previousTrick);
        }
    }
    void SetToolTip(const std::string& tip) override {
        if (buttons_) {
            buttons_->SetToolTip(tip);
        }
    }

private:
    NullTableView none_;
    TableView* view_ = &none_;
    TableButtons* buttons_ = nullptr;
};

}  // namespace redten
