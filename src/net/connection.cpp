#include "net/connection.h"

#include "wire/handshake.h"
#include "wire/routing.h"
#include "wire/text_fields.h"

namespace redten {

void RouteMessage(const Bytes& message, RoomMessageSink& room, GameMessageSink& game) {
    if (message.empty()) {
        return;
    }
    if (IsRoomMessageCode(message[0])) {
        room.ExecRoomMsg(message);
    } else {
        game.ExecGameMsg(message);
    }
}

RoomConnection::RoomConnection(RoomLink& link, RoomMessageSink& room, GameMessageSink& game,
                               QObject* parent)
    : QObject(parent), link_(link), room_(room), game_(game) {
    connect(&link_, &RoomLink::Connected, this,
            [this] { link_.Send(MakeHandshake(allowWatchCards_)); });
    connect(&link_, &RoomLink::DataArrival, this,
            [this](const Bytes& message) { RouteMessage(message, room_, game_); });
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

void RoomConnection::Send(const Bytes& message) { link_.Send(message); }

}  // namespace redten
