#pragma once

#include <QObject>

#include <cstdint>
#include <string>

#include "components/room_link.h"

namespace redten {

// The table's one link to its room: opens it, greets the room once it is
// up, and reports the end of the link. There is no reconnection; the table
// lives exactly as long as its link.
class RoomConnection final : public QObject {
    Q_OBJECT
public:
    // The connect time-out the lobby's rooms expect, in seconds.
    static constexpr std::int32_t kConnectTimeoutSeconds = 120;

    explicit RoomConnection(RoomLink& link, QObject* parent = nullptr);

    // Returns at once. portText is read as a number (0 when it is none);
    // allowWatchCards goes into the greeting.
    void ConnectRoomServer(const std::string& host, const std::string& portText,
                           std::uint8_t allowWatchCards);

signals:
    // The link is over (closed, refused, broken); emitted once.
    void LinkEnded();

private:
    RoomLink& link_;
    std::uint8_t allowWatchCards_ = 1;
    bool ended_ = false;
};

}  // namespace redten
