#include "lobby/directory.h"

#include <QPointer>
#include <QThreadPool>

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

DirectoryRooms::DirectoryRooms(QString uri, int goneSeconds, QObject* parent)
    : QObject(parent), uri_(std::move(uri)), goneSeconds_(goneSeconds) {
    connect(&timer_, &QTimer::timeout, this, &DirectoryRooms::ReadNow);
}

void DirectoryRooms::Start(int everyMs) {
    ReadNow();
    timer_.start(everyMs);
}

void DirectoryRooms::ReadNow() {
    if (reading_) {
        return;  // one reading at a time, however slow the database
    }
    reading_ = true;
    QPointer<DirectoryRooms> self(this);
    QThreadPool::globalInstance()->start([self, uri = uri_, gone = goneSeconds_] {
        QString error;
        auto rooms = ReadDirectory(uri, gone, error);
        QMetaObject::invokeMethod(
            self, [self, rooms = std::move(rooms), error] {
                self->reading_ = false;
                if (rooms) {
                    emit self->Read(*rooms);
                } else {
                    emit self->Failed(QStringLiteral("读不到房间目录：") + error);
                }
            },
            Qt::QueuedConnection);
    });
}

}  // namespace redten::lobby
