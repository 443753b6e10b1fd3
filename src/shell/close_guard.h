#pragma once

#include "state/notices.h"
#include "state/client_context.h"

namespace redten {

// Asked whenever the table window is to be closed by the user: a seated
// player in the middle of a hand, who wants to be asked, is asked whether
// to walk out (and be counted as running away). True when the window may
// close.
bool AskForcedQuit(const ClientContext& context, MessageBoxes& boxes);

}  // namespace redten
