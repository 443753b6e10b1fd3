#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "server/admission/known_people.h"
#include "server/admission/secrets.h"
#include "server/links/links.h"
#include "server/store/records.h"
#include "server/store/records_queue.h"
#include "server/store/store_worker.h"
#include "server/tables/table.h"

namespace redten::room {

// A lobby's request for a seat (SIT, SITAT) or a watch (WATCH).
struct LobbyRequest {
    bool watch = false;
    std::string name, watched, secret;
    int table = 0;  // SITAT: the table and seat (0..3) asked for
    int seat = 0;
    // SITNEW: a new table with this many computer players of this level.
    bool newTable = false;
    int computers = 0;
    BotLevel level = BotLevel::Basic;
};

// What a lobby was granted, waiting for its table to arrive from the same
// address.
struct Reservation {
    std::string name;
    std::string watched;  // empty: a seat
    QHostAddress address;
    qint64 expires = 0;
    std::string newHash;  // the secret to keep for a name that has none
    // A replay: the game read when it was reserved, the seat shown and
    // the speed.
    std::shared_ptr<const StoredGame> replay;
    std::uint8_t replaySeat = 0;
    double replaySpeed = 1;
    // A chosen seat: its table's number (0: any table) and the seat, 0..3.
    int table = 0;
    int seat = 0;
    // A new table of its own, with its computer players.
    bool newTable = false;
    int computers = 0;
    BotLevel level = BotLevel::Basic;
    // A browser asks on the link that becomes its table: only that link
    // takes the reservation (0: any table link from the address).
    LinkId link = 0;
};

// What admission asks of the room around it.
class AdmissionHost {
public:
    virtual ~AdmissionHost() = default;
    // The peer's address while its link is open.
    virtual std::optional<QHostAddress> OpenLink(LinkId id) const = 0;
    // A lobby's answer, after which its link closes.
    virtual void AnswerLobby(LinkId id, const std::string& text) = 0;
    // Whether the link asking becomes the table itself (a browser's).
    virtual bool SeatsItself(LinkId id) const = 0;
    // The table where the name sits or watches.
    virtual Table* TableOf(const std::string& name) const = 0;
    virtual Table* TableNumbered(int number) const = 0;
    // Seats the room could still give, reservations aside.
    virtual int SeatsOpen() const = 0;
    // Whether a table's computer players are on their way to it.
    virtual bool AwaitingComputers(int table) const = 0;
    // People watching from the address now.
    virtual std::size_t WatchersFrom(const QHostAddress& from) const = 0;
    // Reads a stored game beside the room's thread; false when the
    // records are too busy to be asked.
    virtual bool ReadStoredGame(std::int64_t game, std::function<void(Read<StoredGame>)> done) = 0;
    // Names of people at the room's links now.
    virtual void AddNamesSeated(std::set<std::string>& names) const = 0;
    virtual void Log(LogLevel level, const std::string& line) = 0;
};

struct AdmissionLimits {
    int reservationSeconds = 30;
    int maxReservations = 256;
    int maxWatchersPerTable = 16;
    int maxWatchersPerAddress = 16;
    int leaseSeconds = 15;
    int maxReplays = 64;
};

// Who may come in: a lobby's request checked against the name's claim in
// the records and its secret, turned into a reservation its table takes
// from the same address. With the records out of reach, whoever proved a
// name earlier in this run comes in on that proof; a stranger is asked to
// come back.
class Admission {
public:
    // context: the room's object, which store and secret answers come back to.
    Admission(AdmissionLimits limits, QObject* context, StoreWorker& store, std::string roomId,
              KnownPeople& known, RecordsQueue& records, AdmissionHost& host);

    // A lobby's SIT, SITAT or WATCH line, in words.
    void Request(LinkId id, const QList<QByteArray>& words);
    // A lobby's REPLAY line, in words, with the replays running now.
    void RequestReplay(LinkId id, const QList<QByteArray>& words, std::size_t running);
    // Takes a reservation within the bounds and answers the lobby.
    void AddReservation(LinkId id, Reservation r);
    // Answers a lobby; a refusal first gives back the name it claimed.
    void Reply(LinkId id, const std::string& text);

    // A greeted table's reservation: the one its own link asked for, or
    // else the oldest of the address it came from.
    std::optional<Reservation> Take(const QHostAddress& from, LinkId link);
    // The first sit of a name keeps its secret.
    void KeepSecret(const Reservation& r);

    // People the room can still seat, those on their way counted out.
    int SeatsLeft() const;
    // Why the seat asked for cannot be had, if it cannot.
    std::optional<std::string> ChosenSeatRefusal(int table, int seat) const;
    bool SeatReserved(int table, int seat) const;
    // Why one more watch of the table cannot be had from this address.
    std::optional<std::string> WatchRefusal(const Table& table, const QHostAddress& from) const;
    std::size_t ReplaysWaiting() const;

    // A dropped seat goes back only to where it was held, or to whoever
    // proves the name.
    void RememberDroppedSeat(const std::string& name, const QHostAddress& address);
    void DroppedSeatTaken(const std::string& name) { droppedFrom_.erase(name); }
    // Every name this room holds against other rooms.
    std::vector<std::string> NamesHeld();
    // A name is taken while its record is read for a seat.
    void BeginSeating(const std::string& name) { seating_.insert(name); }
    void EndSeating(const std::string& name) { seating_.erase(name); }

private:
    void CheckClaim(LinkId id, const LobbyRequest& request, const Store::SecretLookup& stored);
    void CheckClaimFromMemory(LinkId id, const LobbyRequest& request);
    void Grant(LinkId id, const LobbyRequest& request, bool holder, const std::string& newHash);
    void RefuseClaim(LinkId id, const LobbyRequest& request, const std::string& why, const std::string& text);
    void PruneExpired();

    AdmissionLimits limits_;
    QObject* context_;
    StoreWorker& store_;
    std::string roomId_;
    KnownPeople& known_;
    RecordsQueue& records_;
    AdmissionHost& host_;
    SecretWorker secrets_;
    QElapsedTimer clock_;
    std::vector<Reservation> reservations_;
    // Where each dropped seat's link came from.
    std::map<std::string, QHostAddress> droppedFrom_;
    // Names claimed for lobby requests not answered yet, by lobby link, and
    // when (a request whose link went unanswered is forgotten in time).
    struct Claiming {
        std::string name;
        qint64 at = 0;
    };
    std::map<LinkId, Claiming> claiming_;
    std::set<std::string> seating_;
};

}  // namespace redten::room
