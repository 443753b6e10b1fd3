#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUuid>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <unordered_map>

#include "server/admission/admission.h"
#include "server/admission/known_people.h"
#include "server/links/announcer.h"
#include "server/links/links.h"
#include "server/pages/page_server.h"
#include "server/tables/replay.h"
#include "server/tables/reviews.h"
#include "server/store/records_queue.h"
#include "server/store/store_worker.h"
#include "server/tables/table.h"
#include "server/tables/thoughts.h"
#include "server/tables/timer_queue.h"

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
    // A greeted table that sends nothing at all, not even the empty frame
    // it sends every 15 seconds, for this long has gone (0: never).
    int idleDropMs = 60000;
    // Spectators are sent every play: their number per table is bounded,
    // and per address across the room.
    int maxWatchersPerTable = 16;
    int maxWatchersPerAddress = 16;
    // Reservations waiting for their tables, from all addresses together.
    int maxReservations = 256;
    // Finished games the records could not take yet, kept in memory in
    // order; at this many no new game starts and nobody new sits down.
    // Records in a file or on a server keep few in memory (Store::kSpillAt)
    // and the rest in their journal, so only records kept in memory get here.
    std::size_t maxStoreBacklog = 1000;
    // Links held at once; one more is told the room is full and closed, so
    // the room never runs out of descriptors for the ones it has.
    int maxLinks = 4000;
    // How long accepting pauses when the system refuses a new descriptor.
    int acceptPauseMs = 500;
    // How long a closing room waits for its finished games to be written.
    int storeDrainMs = 10000;
    int thinkThreads = 0;                     // computer players' threads; 0: one per core
    // Every stored game is reviewed on those threads' spare time, with this
    // many imagined worlds per decision; built in none (no reviews), the
    // room's command line reviews unless told otherwise.
    int reviewWorlds = 0;
    // Stored games played again at once, counting their reservations.
    int maxReplays = 64;
    // A replay at speed 0 (and of a game stored without its times): the
    // gap between plays, and the pause after the showing and a won trick.
    int replayStepMs = 400;
    int replayPauseMs = 2100;
    // How long a page read from the records is answered from memory.
    int pageCacheMs = 3000;
    // Rooms sharing one database: a name is held by one room at a time for
    // this long, renewed by the room's heartbeat every third of it; a room
    // not heard from for this long counts as gone.
    int leaseSeconds = 15;
    std::string publicAddress;  // HOST:PORT lobbies reach; empty: the one listened on
    // New tables stop here; the room's row tells lobbies what is left.
    int maxTables = 250;
    // A room open to a network tells the LAN's lobbies (wire/lan_announce.h);
    // one on loopback stays quiet unless announceTo (HOST:PORT) says where.
    bool announce = true;
    std::string announceTo;
    quint16 announceFindPort = wire::kRoomPort;  // 0: answers no lobby's request
    std::string roomName;  // empty: this machine's name
    // The browser's table: its page, scripts and pictures (empty: none).
    std::string webDir;
};

// The room: one port for tables and lobbies. A connection whose first byte
// is 0 is a table (framed messages); anything else is a lobby speaking one
// line of text to reserve a seat, a watch or a replay, or a browser asking
// for one of the room's pages (docs/protocol.md, docs/records.md).
class RoomServer final : public QObject, private TableHost, private LinkEvents, private AdmissionHost {
    Q_OBJECT
public:
    RoomServer(RoomOptions options, StoreWorker& store, QObject* parent = nullptr);
    ~RoomServer() override;

    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    // Links refused because the room was full, since it started.
    int RefusedLinks() const { return links_.Refused(); }
    quint16 Port() const { return links_.Port(); }
    // This room among those sharing the records.
    const std::string& Id() const { return id_; }
    std::size_t TableCount() const { return tables_.size(); }
    std::size_t LinkCount() const { return links_.Count(); }
    // Finished games that broke a rule of the game (logged as errors).
    int BrokenGames() const { return brokenGames_; }

    // Closes the room: takes nobody new, settles every running game, tells
    // every table why its link ends, and calls done once every link has
    // gone (or after the close grace) and the finished games are written
    // (or the store's grace ran out: the log says how many were not).
    void Shutdown(std::function<void()> done);

private:
    // What the room knows of a link beside its transport.
    struct Session {
        QHostAddress address;  // the peer's, kept after the link is gone
        bool greeted = false;  // a table that greeted the room
        bool allowWatch = true;
        PersonId person = 0;   // the person it seats or shows, once claimed
        std::string name;      // the person's, once claimed
        bool watching = false;
        bool replaying = false;  // watches a stored game, at no table
        int table = 0;
    };
    // LinkEvents
    void LinkOpened(LinkId id, const QHostAddress& from) override;
    void TableMessage(LinkId id, const Bytes& message) override;
    void LobbyLine(LinkId id, const QByteArray& line) override;
    void RequestTooLong(LinkId id) override;
    void BrowserLine(LinkId id, const QByteArray& line) override;
    void LinkGone(LinkId id, bool dropped) override;
    // The session of a link that is open, if it is.
    Session* Open(LinkId id);

    void HandleLobbyLine(LinkId id, const QByteArray& line);
    void StartReplay(LinkId id, Session& session, const Reservation& r);
    // A browser's (or the page pane's) request, answered by pages_.
    void ServePage(LinkId id, const std::string& requestLine);
    void AnswerPage(PersonId id, int status, std::string_view type, const std::string& body);
    std::vector<LiveTable> LiveTables() const;
    void Claim(LinkId id, Session& session);
    // Seats a claimed link once its record has been read.
    void Seat(PersonId id, const Reservation& r, const std::optional<PersonRecord>& person);
    void SeatComputers(Table& table, int count);
    // A table's first free seat that no lobby has asked for, or -1.
    int UnreservedSeat(const Table& table) const;
    // Ends a table's link the person did not ask to end, telling it why.
    void Refuse(LinkId id, const std::string& why);
    void SweepTables();
    void FinishShutdown(bool now);
    Table& NewTable(BotLevel level);

    // AdmissionHost
    std::optional<QHostAddress> OpenLink(LinkId id) const override;
    void AnswerLobby(LinkId id, const std::string& text) override;
    bool SeatsItself(LinkId id) const override;
    Table* TableOf(const std::string& name) const override;
    Table* TableNumbered(int number) const override;
    int SeatsOpen() const override;
    bool AwaitingComputers(int table) const override;
    std::size_t WatchersFrom(const QHostAddress& from) const override;
    void AddNamesSeated(std::set<std::string>& names) const override;
    bool ReadStoredGame(std::int64_t game, std::function<void(Read<StoredGame>)> done) override;

    // TableHost
    void Send(PersonId to, const Bytes& message) override;
    void Disconnect(PersonId who) override;
    TimerId After(int ms, std::function<void()> fn) override;
    void Cancel(TimerId timer) override;
    void Log(LogLevel level, const std::string& line) override;
    void GameFinished(const FinishedGame& game) override;
    std::uint64_t NextDealSeed() override;
    bool MayStartGame() override;

    // Tells the LAN's lobbies about the room, if it is open to a network.
    void StartAnnouncing(const QHostAddress& listening);
    // The room's row and the names it holds, written now and then.
    void Heartbeat();
    // A stored game's review is done: it is kept with the game.
    void Reviewed(std::int64_t game, const engine::GameReview& review);
    RoomEntry Entry() const;
    ThinkId Think(ThinkWork work, std::function<void(engine::Decision)> done) override;
    void CancelThink(ThinkId id) override;

    RoomOptions options_;
    WebFiles webFiles_;
    StoreWorker& store_;
    std::unordered_map<LinkId, Session> sessions_;
    TimerQueue timers_;
    KnownPeople known_;
    std::map<int, std::unique_ptr<Table>> tables_;
    std::map<PersonId, std::unique_ptr<Replay>> replays_;
    const std::string id_ = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    QTimer heartbeat_;
    bool heartbeatPending_ = false;
    std::set<int> awaitingComputers_;  // tables whose computer players are being read
    bool linksGone_ = false;
    bool storeGaveUp_ = false;
    PersonId nextBot_ = -1;
    std::mt19937_64 seeds_;
    bool sweepScheduled_ = false;
    bool shuttingDown_ = false;
    std::function<void()> shutdownDone_;
    int brokenGames_ = 0;
    RecordsQueue records_;
    PageServer pages_;
    Links links_;
    Admission admission_;
    std::unique_ptr<Announcer> announcer_;
    Thoughts thoughts_;  // stopped first
    Reviews reviews_;
};

}  // namespace redten::room
