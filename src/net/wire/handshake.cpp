#include "net/wire/handshake.h"

#include <string>

#include "net/wire/message.h"
#include "net/wire/text_fields.h"

namespace redten {

Bytes MakeHandshake(std::uint8_t allowSpectatorsToSeeCards) {
    const std::string text = JoinFields({kProtocolVersion, kGameId,
                                         std::to_string(allowSpectatorsToSeeCards ? 1 : 0)});
    Bytes message;
    MakeSendBytes(text, message, 2, {130, 0});
    return message;
}

}  // namespace redten
