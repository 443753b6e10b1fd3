#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace redten::lobby {

// A room of our own on this machine, for a game against computer players or
// for hosting a LAN: started beside us, stopped with us.
class LocalRoom {
public:
    struct Options {
        QString program;    // redten-room
        QString listen;     // ADDR:PORT; port 0 takes any free one
        QString bots;       // computer players per new table
        QString level;      // theirs: basic, strong or expert
        QString db;         // the records
        QString log;        // where the room's log goes
    };

    ~LocalRoom() { Stop(); }

    // Starts the room and waits until it listens. False with the reason.
    bool Start(const Options& options, QString& error);
    // The port it listens on, once started.
    quint16 Port() const { return port_; }
    // Asks the room to stop (it settles every running game first) and waits
    // for it; a room that does not stop in time is killed.
    void Stop();

private:
    QProcess room_;
    QTemporaryDir run_;
    quint16 port_ = 0;
};

}  // namespace redten::lobby
