#pragma once

#include <QString>

#include <optional>

namespace redten::lobby {

// A room's address as people write it, HOST:PORT (port 0: any free one,
// for a room about to listen).
struct RoomAddress {
    QString host;
    quint16 port = 0;
};

inline std::optional<RoomAddress> ParseRoomAddress(const QString& text) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (colon <= 0 || !ok || port > 65535) {
        return std::nullopt;
    }
    return RoomAddress{text.left(colon), static_cast<quint16>(port)};
}

}  // namespace redten::lobby
