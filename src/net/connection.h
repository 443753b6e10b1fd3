#pragma once

#include <QObject>

#include <cstdint>
#include <string>

#include "components/room_link.h"
#include "state/notices.h"
#include "state/message_handlers.h"

namespace redten {

// Hands a message from the room to the room or the game handler by its
// first byte. An empty message goes nowhere.
void RouteMessage(const Bytes& message, RoomMessageSink& room, GameMessageSink& game);

// The table's one link to its room: opens it, greets the room once it is
// up, routes every message, and reports the end of the link. There is no
// reconnection; the table lives exactly as long as its link.
class RoomConnection final : public QObject, public MessageSender {
    Q_OBJECT
public:
    // The connect time-out the lobby's rooms expect, in seconds.
    static constexpr std::int32_t kConnectTimeoutSeconds = 120;

    RoomConnection(RoomLink& link, RoomMessageSink& room, GameMessageSink& game,
                   QObject* parent = nullptr);

    // Returns at once. portText is read as a number (0 when it is none);
    // allowWatchCards goes into the greeting.
    void ConnectRoomServer(const std::string& host, const std::string& portText,
                           std::uint8_t allowWatchCards);
    void Send(const Bytes& message) override;

signals:
    // The link is over (closed, refused, broken); emitted once.
    void LinkEnded();

private:
    RoomLink& link_;
    RoomMessageSink& room_;
    GameMessageSink& game_;
    std::uint8_t allowWatchCards_ = 1;
    bool ended_ = false;
};

}  // namespace redten
