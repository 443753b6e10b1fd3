#pragma once

#include <cstdint>

#include "render/table_canvas.h"
#include "render/table_layout.h"
#include "state/client_context.h"

namespace redten {

// The blast over a seat's played cards, one frame of it: a bomb's or the
// two red tens'. Its pictures' key colour lets the table show through.
class BlastPainter {
public:
    BlastPainter(const ClientContext& context, TableCanvas& canvas, const TableLayout& layout);

    // Frame 1 onwards; a missing picture shows nothing.
    void Paint(std::uint8_t seat, Blast blast, int frame);

private:
    const ClientContext& context_;
    TableCanvas& canvas_;
    const TableLayout& layout_;
};

}  // namespace redten
