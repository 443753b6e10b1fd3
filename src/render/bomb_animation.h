#pragma once

#include <cstdint>
#include <functional>

#include "render/table_canvas.h"
#include "render/table_layout.h"
#include "state/client_context.h"
#include "state/notices.h"

namespace redten {

// The blast over a seat's played cards: a bomb (kind 1) or two red tens
// (kind 2). Its frames are shown one by one with a wait between them, and
// what lay under them is put back exactly. It changes no state of the game:
// it says when it starts and when it has ended, and whoever shows the table
// decides what that means for the mouse.
class BombAnimation {
public:
    BombAnimation(const ClientContext& context, TableCanvas& canvas, const TableLayout& layout);

    // The wait between frames; without one the frames follow at once.
    void SetWaiter(Waiter* waiter) { waiter_ = waiter; }
    std::function<void()> onStarted;
    std::function<void()> onFinished;

    void Play(std::uint8_t seat, std::uint8_t kind);

private:
    std::uint8_t Place(std::uint8_t seat) const { return context_.define.ViewPos[seat & 3] & 3; }

    const ClientContext& context_;
    TableCanvas& canvas_;
    const TableLayout& layout_;
    Waiter* waiter_ = nullptr;
};

}  // namespace redten
