#pragma once

#include "net/message_handlers.h"

namespace redten {

// Game messages: the deal, the showing answers, plays, tricks, results and
// the table snapshot. Codes this handler does not know are ignored.
class GameMessages final : public GameMessageSink {
public:
    void ExecGameMsg(const Bytes& message) override;
};

}  // namespace redten
