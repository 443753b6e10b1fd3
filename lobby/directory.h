#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "server/store/store.h"

namespace redten::lobby {

// A room whose heartbeat is older than this counts as gone (the rooms'
// default lease).
constexpr int kRoomGoneSeconds = 15;

// The live rooms of a shared database, read without changing anything.
std::optional<std::vector<room::RoomEntry>> ReadDirectory(const QString& uri, int goneSeconds,
                                                          QString& error);

// The rooms with a free seat, in the order a person should try them: a room
// with a table waiting for people first (the one closest to full), then
// the fullest rooms, so tables and rooms fill before new ones open.
std::vector<room::RoomEntry> SeatOrder(std::vector<room::RoomEntry> rooms);

}  // namespace redten::lobby
