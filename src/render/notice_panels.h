#pragma once

#include <array>
#include <cstdint>

#include "render/table_canvas.h"
#include "state/client_context.h"
#include "state/table_scene.h"

namespace redten {

// The panels the table shows over its middle: the notice that the others
// are still showing their red tens, and the game's result.
class NoticePanels {
public:
    NoticePanels(const ClientContext& context, TableCanvas& canvas);

    void PaintWaitMsg();
    // A draw, or every seat's side, name, place and score, and the
    // multiplier.
    void PaintGameResult(const GameResult& result);
    // The result's frame: corners and edges from the panel sheet around a
    // filled middle.
    void PaintMsgFrame(int x, int y, int width, int height);

private:
    const ClientContext& context_;
    TableCanvas& canvas_;
};

}  // namespace redten
