#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <map>
#include <memory>
#include <random>

#include "net/wire/framing.h"
#include "store.h"
#include "table.h"
#include "think_pool.h"

namespace redten::room {

struct RoomOptions {
    TableOptions table;
    int botsPerTable = 3;
    LogLevel logLevel = LogLevel::Info;
    std::uint64_t seed = 0;  // 0: a fresh seed every run
    int reservationSeconds = 30;
    int greetingSeconds = 10;
    std::int64_t maxPendingOutput = 1 << 20;  // bytes a peer may leave unread
    int closeGraceMs = 5000;                  // for a link we close to finish
    int thinkThreads = 0;                     // computer players' threads; 0: one per core
};

// The room: one port for tables and lobbies. A connection whose first byte
// is 0 is a table (framed messages); anything else is a lobby speaking one
// line of text to reserve a seat or a watch (docs/protocol.md).
class RoomServer final : public QObject, private TableHost {
    Q_OBJECT
public:
    RoomServer(RoomOptions options, Store& store, QObject* parent = nullptr);
    ~RoomServer() override;

    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 Port() const { return server_.serverPort(); }
    std::size_t TableCount() const { return tables_.size(); }
    std::size_t LinkCount() const { return links_.size(); }
    // Finished games that broke a rule of the game (logged as errors).
    int BrokenGames() const { return brokenGames_; }

private:
    struct Link {
        explicit Link(std::uint32_t maxFrame) : decoder(maxFrame) {}
        PersonId id = 0;
        QPointer<QTcpSocket> socket;
        enum class Kind { Unknown, Lobby, Table } kind = Kind::Unknown;
        FrameDecoder decoder;
        QByteArray line;
        bool greeted = false;
        bool allowWatch = true;
        bool closing = false;  // the table let the person go; no more input
        PersonId person = 0;
        int table = 0;
        QTimer* greetTimer = nullptr;
    };
    struct Reservation {
        std::string name;
        std::string watched;  // empty: a seat
        QHostAddress address;
        qint64 expires = 0;
    };

    void OnNewConnection();
    void OnReadyRead(PersonId id);
    void OnDisconnected(PersonId id);
    void HandleLobbyLine(Link& link, const QByteArray& line);
    void HandleTableMessage(Link& link, const Bytes& message);
    void Claim(Link& link);
    void Drop(PersonId id, const char* why);
    void Forget(PersonId id);
    void CloseGently(Link& link);
    void SweepTables();
    Table& NewTable();
    Table* TableOf(const std::string& name);

    // TableHost
    void Send(PersonId to, const Bytes& message) override;
    void Disconnect(PersonId who) override;
    TimerId After(int ms, std::function<void()> fn) override;
    void Cancel(TimerId timer) override;
    void Log(LogLevel level, const std::string& line) override;
    void GameFinished(const FinishedGame& game) override;
    std::uint64_t NextDealSeed() override;
    ThinkId Think(ThinkWork work, std::function<void(engine::Decision)> done) override;
    void CancelThink(ThinkId id) override;

    RoomOptions options_;
    Store& store_;
    QTcpServer server_;
    std::map<PersonId, Link> links_;
    std::vector<Reservation> reservations_;
    std::map<int, std::unique_ptr<Table>> tables_;
    std::map<TimerId, QTimer*> timers_;
    PersonId nextPerson_ = 1;
    PersonId nextBot_ = -1;
    TimerId nextTimer_ = 1;
    int nextTable_ = 1;
    std::mt19937_64 seeds_;
    bool sweepScheduled_ = false;
    int brokenGames_ = 0;
    struct Thinking {
        std::shared_ptr<ThinkPool::Job> job;
        std::function<void(engine::Decision)> done;
    };
    std::map<ThinkId, Thinking> thinking_;
    ThinkId nextThink_ = 1;
    std::unique_ptr<ThinkPool> pool_;  // made first and stopped first
};

}  // namespace redten::room
