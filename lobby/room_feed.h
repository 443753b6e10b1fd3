#pragma once

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <functional>

#include "lobby/room_listing.h"

namespace redten::lobby {

// One room as the lobby talks to it: its JSON documents over its web port,
// and one-line requests for a seat, a watch or a replay over its lobby line.
// Every answer comes back through the event loop; none waits forever.
class RoomFeed : public QObject {
    Q_OBJECT
public:
    RoomFeed(QString host, quint16 port, QObject* parent = nullptr);

    const QString& Host() const { return host_; }
    quint16 Port() const { return port_; }
    QString Address() const { return host_ + QLatin1Char(':') + QString::number(port_); }

    // Each asks once; the answer is a signal below.
    void ReadTables();
    void ReadStandings();
    void ReadPerson(const QString& name);

    // Sends one lobby line; done gets the room's refusal, or an empty text
    // when it said OK.
    void Ask(const QString& line, std::function<void(QString refusal)> done);

signals:
    void TablesRead(const redten::lobby::RoomTables& tables, int pingMs);
    void StandingsRead(const std::vector<redten::lobby::Totals>& standings);
    void PersonRead(const redten::lobby::PersonRecords& person);
    // The room could not be read; why, in words for people.
    void Unreachable(const QString& why);

private:
    // missing, when given, is called instead of reporting a 404.
    void Get(const QString& path, std::function<void(const QByteArray& body)> use,
             std::function<void()> missing = {});

    QString host_;
    quint16 port_;
    QNetworkAccessManager network_;
    bool tablesAsked_ = false;  // one reading of the tables at a time
};

}  // namespace redten::lobby
