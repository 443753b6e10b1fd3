#include "lobby/directory.h"

#include <algorithm>
#include <tuple>

namespace redten::lobby {

std::optional<std::vector<room::RoomEntry>> ReadDirectory(const QString& uri, int goneSeconds,
                                                          QString& error) {
    room::Store store;
    std::string warning;
    store.SetWarningSink([&](const std::string& line) { warning = line; });
    if (!store.Open(uri, error, room::Store::kBusyWaitMs, /*setUp=*/false)) {
        return std::nullopt;
    }
    auto rooms = store.LiveRooms(goneSeconds);
    if (!rooms) {
        error = QString::fromStdString(warning);
    }
    return rooms;
}

std::vector<room::RoomEntry> SeatOrder(std::vector<room::RoomEntry> rooms) {
    std::erase_if(rooms, [](const room::RoomEntry& r) { return r.freeSeats <= 0; });
    const auto key = [](const room::RoomEntry& r) {
        // A table short of people comes before any empty one.
        return std::tuple{r.waitingSeats == 0, r.waitingSeats, r.freeSeats, r.age, r.id};
    };
    std::sort(rooms.begin(), rooms.end(),
              [&](const auto& a, const auto& b) { return key(a) < key(b); });
    return rooms;
}

}  // namespace redten::lobby
