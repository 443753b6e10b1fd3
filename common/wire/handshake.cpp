#include "wire/handshake.h"

#include "wire/messages.h"

namespace redten {

Bytes MakeHandshake(std::uint8_t allowSpectatorsToSeeCards) {
    return wire::Greeting{kProtocolVersion, kGameId, allowSpectatorsToSeeCards != 0}.Encode();
}

}  // namespace redten
