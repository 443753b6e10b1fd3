#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace redten::wire {

// Rooms open to a network say so on the LAN, and lobbies listen
// (docs/protocol.md): every few seconds a room sends one datagram to
// kLobbyPort, and it answers a lobby's request on kRoomPort. The peer's
// address is the datagram's sender, never anything written in it.
inline constexpr std::uint16_t kLobbyPort = 27198;
inline constexpr std::uint16_t kRoomPort = 27199;
inline constexpr std::size_t kMaxDatagram = 512;
inline constexpr std::size_t kMaxRoomName = 32;  // bytes of UTF-8

struct RoomAnnouncement {
    std::uint16_t port = 0;  // the room's tables and lobby line
    int tables = 0;
    int freeSeats = 0;
    std::string name;  // no blanks; cut to kMaxRoomName bytes
};

// "REDTEN-ROOM 1 PORT TABLES FREE NAME"
std::string EncodeAnnouncement(const RoomAnnouncement& room);
// Nothing for anything that is not exactly such a line within the bounds.
std::optional<RoomAnnouncement> DecodeAnnouncement(std::string_view datagram);

// "REDTEN-FIND 1": a lobby asks the rooms that hear it to announce now.
std::string_view FindRequest();
bool IsFindRequest(std::string_view datagram);

}  // namespace redten::wire
