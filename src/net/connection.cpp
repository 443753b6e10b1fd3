#include "net/connection.h"

#include "wire/handshake.h"
#include "wire/text_fields.h"

namespace redten {

RoomConnection::RoomConnection(RoomLink& link, QObject* parent) : QObject(parent), link_(link) {
    connect(&link_, &RoomLink::Connected, this,
            [this] { link_.Send(MakeHandshake(allowWatchCards_)); });
    const auto end = [this] {
        if (!ended_) {
            ended_ = true;
            emit LinkEnded();
        }
    };
    connect(&link_, &RoomLink::Closed, this, end);
    connect(&link_, &RoomLink::Error, this, end);
}

void RoomConnection::ConnectRoomServer(const std::string& host, const std::string& portText,
                                       std::uint8_t allowWatchCards) {
    allowWatchCards_ = allowWatchCards;
    link_.Connect(host, RoundToLong(TextValue(portText)), kConnectTimeoutSeconds);
}

}  // namespace redten
