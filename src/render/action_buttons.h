#pragma once

#include "render/table_canvas.h"
#include "render/table_layout.h"
#include "state/client_context.h"

namespace redten {

// The table's own buttons: the two option buttons (sort, previous trick),
// the play buttons (play, pass, hint) and the showing buttons. Each is
// drawn as the buttons' states say, stands where the layout and the phase
// put it, and answers which one is under a point (-1: none).
class ActionButtons {
public:
    ActionButtons(const ClientContext& context, TableCanvas& canvas, const TableLayout& layout);

    // Every button that shows.
    void PaintAll();

    void PaintUserOptBut(int i);
    int GetUserOptButIndex(int x, int y) const;

    void PaintUserOutBut(int i);
    int GetUserOutButIndex(int x, int y) const;
    int OutButtonCount() const;
    PixelPoint OutButtonPos(int i) const;

    void PaintLiangBut(int i);
    int GetLiangButIndex(int x, int y) const;
    int LiangButtonCount() const;
    PixelPoint LiangButtonPos(int i) const;

private:
    const ClientContext& context_;
    TableCanvas& canvas_;
    const TableLayout& layout_;
};

}  // namespace redten
