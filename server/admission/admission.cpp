#include "server/admission/admission.h"

#include <QDateTime>

#include <algorithm>

#include "server/tables/names.h"

namespace redten::room {
namespace {

constexpr long kMaxReservationsPerAddress = 16;

bool SameHost(const QHostAddress& a, const QHostAddress& b) {
    return a.isEqual(b, QHostAddress::TolerantConversion);
}

}  // namespace

Admission::Admission(AdmissionLimits limits, QObject* context, StoreWorker& store, std::string roomId,
                     KnownPeople& known, RecordsQueue& records, AdmissionHost& host)
    : limits_(limits),
      context_(context),
      store_(store),
      roomId_(std::move(roomId)),
      known_(known),
      records_(records),
      host_(host),
      secrets_(context) {
    clock_.start();
}

// --- a lobby's request ----------------------------------------------------------------

void Admission::Request(LinkId id, const QList<QByteArray>& words) {
    const std::string verb = words.value(0).toStdString();
    const bool watch = verb == "WATCH";
    const bool chosen = verb == "SITAT";
    const bool fresh = verb == "SITNEW";
    const qsizetype plain = watch ? 3 : chosen || fresh ? 4 : 2;  // the words before the secret
    if (!((verb == "SIT" || watch || chosen || fresh) && (words.size() == plain || words.size() == plain + 1))) {
        Reply(id, "ERR 无法识别的请求。");
        return;
    }
    LobbyRequest request;
    request.watch = watch;
    request.name = words.value(1).toStdString();
    request.watched = watch ? words.value(2).toStdString() : std::string();
    request.secret = words.value(plain).toStdString();
    if (chosen) {
        bool tableOk = false, seatOk = false;
        request.table = words.value(2).toInt(&tableOk);
        request.seat = words.value(3).toInt(&seatOk) - 1;
        if (!tableOk || !seatOk || request.table < 1 || request.seat < 0 || request.seat > 3) {
            Reply(id, "ERR 桌号或座位号不对：座位号是 1 到 4。");
            return;
        }
    }
    if (fresh) {
        bool ok = false;
        request.newTable = true;
        request.computers = words.value(2).toInt(&ok);
        const auto level = LevelNamed(words.value(3).toStdString());
        if (!ok || request.computers < 0 || request.computers > 3 || !level) {
            Reply(id, "ERR 电脑玩家是 0 到 3 个，水平是 basic（新手）、strong（高手）或 expert（大师）。");
            return;
        }
        request.level = *level;
    }
    if (const auto bad = CheckPersonName(request.name)) {
        Reply(id, "ERR " + *bad);
        return;
    }
    if (words.size() > plain && !PlausibleSecret(request.secret)) {
        Reply(id, "ERR 密码最多 128 个字节，不能有空格或控制字符。");
        return;
    }
    // Nothing to claim in a room with no seat left.
    if (!watch && !host_.TableOf(request.name) && SeatsLeft() <= 0) {
        Reply(id, "ERR 这个房间的桌子都满了，请换一个房间。");
        return;
    }
    const bool asked =
        store_.ClaimName(context_, request.name, roomId_, limits_.leaseSeconds,
                         [this, id, request](const StoreWorker::NameClaim& found) {
                             if (found.claim == Store::Claim::HeldElsewhere) {
                                 RefuseClaim(id, request, "a name another room holds",
                                             "这个名字正在另一个房间里使用，请稍后再试。");
                                 return;
                             }
                             records_.Note(found.claim != Store::Claim::Failed);
                             if (found.claim == Store::Claim::Failed) {
                                 host_.Log(LogLevel::Error, "could not claim " + request.name);
                                 CheckClaimFromMemory(id, request);
                                 return;
                             }
                             claiming_[id] = {request.name, clock_.elapsed()};
                             CheckClaim(id, request, found.secret);
                         });
    if (!asked) {
        Reply(id, "ERR 房间正忙，请稍后再试。");
    }
}

void Admission::CheckClaim(LinkId id, const LobbyRequest& request, const Store::SecretLookup& stored) {
    if (!stored.ok) {
        host_.Log(LogLevel::Error, "could not read the secret of " + request.name);
        records_.Note(false);
        CheckClaimFromMemory(id, request);
        return;
    }
    bool queued = true;
    if (stored.hash) {
        if (request.secret.empty()) {
            RefuseClaim(id, request, "no secret for a name that has one", "这个名字设了密码，请带上密码再来。");
            return;
        }
        queued = secrets_.Check(*stored.hash, request.secret, [this, id, request, hash = *stored.hash](bool matches) {
            if (matches) {
                known_.ProvedSecret(request.name, hash);
                Grant(id, request, /*holder=*/true, {});
            } else {
                RefuseClaim(id, request, "a wrong secret", "密码不对。");
            }
        });
    } else if (!request.secret.empty()) {
        queued = secrets_.Hash(request.secret, [this, id, request](std::optional<std::string> hash) {
            if (hash) {
                known_.ProvedSecret(request.name, *hash);
                Grant(id, request, /*holder=*/false, *hash);
            } else {
                Reply(id, "ERR 房间正忙，请稍后再试。");
            }
        });
    } else {
        known_.ProvedSecret(request.name, std::nullopt);
        Grant(id, request, /*holder=*/false, {});
    }
    if (!queued) {
        Reply(id, "ERR 房间正忙，请稍后再试。");
    }
}

void Admission::CheckClaimFromMemory(LinkId id, const LobbyRequest& request) {
    // The records are out of reach: someone who sat in this run proved the
    // name then and comes back on that proof; a stranger waits, since a
    // record made now could split a person in two once the records return.
    const KnownPeople::Known* known = known_.Find(request.name);
    if (!known) {
        Reply(id, "ERR 记录暂时不可用，请稍后再试。");
        return;
    }
    host_.Log(LogLevel::Warning, "the records are out of reach: " + request.name + " is let in on the secret proved earlier");
    CheckClaim(id, request, Store::SecretLookup{true, known->secretHash});
}

void Admission::Reply(LinkId id, const std::string& text) {
    // A refused name is given back before the lobby hears why, so it can
    // take the name straight to another room, unless this room holds it
    // for something else.
    if (const auto claimed = claiming_.find(id); claimed != claiming_.end()) {
        const std::string name = claimed->second.name;
        claiming_.erase(claimed);
        const std::vector<std::string> held = NamesHeld();
        if (text.rfind("ERR", 0) == 0 && !std::binary_search(held.begin(), held.end(), name)) {
            store_.ReleaseName(context_, name, roomId_, [this, id, text] { host_.AnswerLobby(id, text); });
            return;
        }
    }
    host_.AnswerLobby(id, text);
}

void Admission::RefuseClaim(LinkId id, const LobbyRequest& request, const std::string& why,
                             const std::string& text) {
    const auto open = host_.OpenLink(id);
    const std::string from = open ? open->toString().toStdString() : "?";
    host_.Log(LogLevel::Info, "refused " + std::string(request.watch ? "a watch" : "a seat") + " for " +
                            request.name + " from " + from + ": " + why);
    Reply(id, "ERR " + text);
}

void Admission::Grant(LinkId id, const LobbyRequest& request, bool holder,
                                   const std::string& newHash) {
    const auto open = host_.OpenLink(id);
    if (!open) {
        return;
    }
    const QHostAddress from = *open;
    const std::string& name = request.name;
    if (seating_.count(name)) {
        Reply(id, "ERR 这个名字正在使用中，请换一个。");
        return;
    }
    if (Table* at = host_.TableOf(name)) {
        if (request.watch || !at->HasDroppedPlayer(name)) {
            Reply(id, "ERR 这个名字正在使用中，请换一个。");
            return;
        }
        // A dropped seat shows the hand: it goes back only to where it was
        // held, or to whoever proves the name is theirs.
        const auto held = droppedFrom_.find(name);
        if (!holder && (held == droppedFrom_.end() || !SameHost(held->second, from))) {
            RefuseClaim(id, request, "a dropped seat asked for from another address",
                        "这个座位的主人掉线了，只能从原来的地址或凭密码回来。");
            return;
        }
    }
    PruneExpired();
    if (request.watch) {
        Table* table = host_.TableOf(request.watched);
        if (!table || table->HasDroppedPlayer(request.watched) || request.watched == name) {
            Reply(id, "ERR 没有找到你要旁观的玩家。");
            return;
        }
        if (const auto full = WatchRefusal(*table, from)) {
            RefuseClaim(id, request, "watchers beyond the cap", *full);
            return;
        }
    }
    const auto pending = std::find_if(reservations_.begin(), reservations_.end(),
                                      [&](const Reservation& r) { return r.name == name; });
    if (pending != reservations_.end()) {
        if (!SameHost(pending->address, from)) {
            RefuseClaim(id, request, "a name reserved from another address",
                        "这个名字刚被别人预订了，请稍后再试。");
            return;
        }
        reservations_.erase(pending);
    }
    if (request.table != 0 && !host_.TableOf(name)) {
        if (const auto refusal = ChosenSeatRefusal(request.table, request.seat)) {
            Reply(id, "ERR " + *refusal);
            return;
        }
    }
    // A lobby that finds this room full tries another; a table sent here
    // anyway would only be turned away once it has started.
    if (!request.watch && !host_.TableOf(name) && SeatsLeft() <= 0) {
        RefuseClaim(id, request, "no seat left", "这个房间的桌子都满了，请换一个房间。");
        return;
    }
    Reservation r;
    r.name = name;
    r.watched = request.watched;
    r.address = from;
    r.newHash = newHash;
    r.table = request.table;
    r.seat = request.seat;
    r.newTable = request.newTable;
    r.computers = request.computers;
    r.level = request.level;
    AddReservation(id, std::move(r));
}

std::optional<std::string> Admission::ChosenSeatRefusal(int number, int seat) const {
    const Table* table = host_.TableNumbered(number);
    if (table == nullptr) {
        return "没有这张桌子。";
    }
    if (table->GameRunning()) {
        return "这张桌子正在打牌，请换一张，或者去旁观。";
    }
    if (SeatReserved(number, seat) || !table->SeatIsFree(static_cast<std::uint8_t>(seat)) ||
        host_.AwaitingComputers(number)) {
        return "这个座位已经有人了，请换一个。";
    }
    return std::nullopt;
}

void Admission::AddReservation(LinkId id, Reservation r) {
    r.link = host_.SeatsItself(id) ? id : 0;
    const auto fromHere =
        std::count_if(reservations_.begin(), reservations_.end(),
                      [&](const Reservation& held) { return SameHost(held.address, r.address); });
    if (fromHere >= kMaxReservationsPerAddress ||
        reservations_.size() >= static_cast<std::size_t>(limits_.maxReservations)) {
        Reply(id, "ERR 预订太多了，请稍后再试。");
        return;
    }
    r.expires = QDateTime::currentMSecsSinceEpoch() + limits_.reservationSeconds * 1000LL;
    host_.Log(LogLevel::Info, "reserved " +
                            (r.replay ? "a replay of game " + std::to_string(r.replay->id)
                             : r.watched.empty() ? std::string("a seat")
                                                 : "a watch of " + r.watched) +
                            " for " + r.name);
    reservations_.push_back(std::move(r));
    Reply(id, "OK");
}

void Admission::KeepSecret(const Reservation& r) {
    // The first sit of a name keeps its secret; the record exists by then.
    if (r.newHash.empty()) {
        return;
    }
    store_.SetSecret(context_, r.name, r.newHash, [this, name = r.name](bool kept) {
        if (!kept) {
            host_.Log(LogLevel::Error, "could not keep the secret of " + name);
        }
    });
}

void Admission::RememberDroppedSeat(const std::string& name, const QHostAddress& address) {
    // Seats whose grace ran out are forgotten now and then; few seats are
    // ever dropped at once, so this stays small.
    constexpr std::size_t kPruneAbove = 256;
    if (droppedFrom_.size() >= kPruneAbove) {
        std::erase_if(droppedFrom_, [this](const auto& held) {
            const Table* table = host_.TableOf(held.first);
            return !table || !table->HasDroppedPlayer(held.first);
        });
    }
    droppedFrom_[name] = address;
}

std::optional<std::string> Admission::WatchRefusal(const Table& table, const QHostAddress& from) const {
    // Reservations still on their way count too, or a burst of them would
    // all pass the check before the first table arrived.
    std::size_t atTable = table.SpectatorCount(), fromThere = 0;
    for (const Reservation& r : reservations_) {
        if (!r.watched.empty()) {
            const Table* watchedAt = host_.TableOf(r.watched);
            atTable += watchedAt == &table ? 1 : 0;
            fromThere += SameHost(r.address, from) ? 1 : 0;
        }
    }
    fromThere += host_.WatchersFrom(from);
    if (atTable >= static_cast<std::size_t>(limits_.maxWatchersPerTable)) {
        return "这张桌旁观的人已经满了（最多 " + std::to_string(limits_.maxWatchersPerTable) + " 位）。";
    }
    if (fromThere >= static_cast<std::size_t>(limits_.maxWatchersPerAddress)) {
        return "从你的地址旁观的人已经太多了（最多 " + std::to_string(limits_.maxWatchersPerAddress) + " 位）。";
    }
    return std::nullopt;
}


void Admission::RequestReplay(LinkId id, const QList<QByteArray>& words, std::size_t running) {
    // REPLAY name game [seat [speed]]
    if (words.size() < 3 || words.size() > 5) {
        Reply(id, "ERR 无法识别的请求。");
        return;
    }
    const std::string name = words[1].toStdString();
    if (const auto bad = CheckPersonName(name)) {
        Reply(id, "ERR " + *bad);
        return;
    }
    bool ok = false;
    const qlonglong game = words[2].toLongLong(&ok);
    if (!ok || game <= 0 || game > (qlonglong{1} << 53)) {
        Reply(id, "ERR 对局编号应该是一个正整数。");
        return;
    }
    int seat = 1;
    if (words.size() > 3 && ((seat = words[3].toInt(&ok)), !ok || seat < 1 || seat > 4)) {
        Reply(id, "ERR 座位应该是 1 到 4。");
        return;
    }
    double speed = 1;
    if (words.size() > 4 &&
        ((speed = words[4].toDouble(&ok)), !ok || !(speed >= 0 && speed <= 100))) {
        Reply(id, "ERR 回放速度应该在 0 到 100 之间。");
        return;
    }
    if (running + ReplaysWaiting() >=
        static_cast<std::size_t>(limits_.maxReplays)) {
        Reply(id, "ERR 回放的桌子太多了，请稍后再试。");
        return;
    }
    const bool asked = host_.ReadStoredGame(
        game, [this, id, name, game, seat, speed](Read<StoredGame> read) {
            const auto open = host_.OpenLink(id);
            if (!open) {
                return;
            }
            if (read.status == ReadStatus::Missing) {
                Reply(id, "ERR 没有找到第 " + std::to_string(game) + " 局的记录。");
                return;
            }
            if (read.status == ReadStatus::Damaged) {
                host_.Log(LogLevel::Error, "game " + std::to_string(game) + " is damaged in the records");
                Reply(id, "ERR 第 " + std::to_string(game) + " 局的记录已损坏，无法回放。");
                return;
            }
            if (read.status != ReadStatus::Ok) {
                host_.Log(LogLevel::Error,
                    "could not read game " + std::to_string(game) + " for a replay");
                Reply(id, "ERR 房间暂时读不了记录，请稍后再试。");
                return;
            }
            Reservation r;
            r.name = name;
            r.address = *open;
            r.replay = std::make_shared<const StoredGame>(std::move(read.value));
            r.replaySeat = static_cast<std::uint8_t>(seat - 1);
            r.replaySpeed = speed;
            AddReservation(id, std::move(r));
        });
    if (!asked) {
        Reply(id, "ERR 房间正忙，请稍后再试。");
    }
}

// --- reservations ---------------------------------------------------------------------

void Admission::PruneExpired() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::erase_if(reservations_, [now](const Reservation& r) { return r.expires < now; });
}

std::optional<Reservation> Admission::Take(const QHostAddress& from, LinkId link) {
    PruneExpired();
    auto it = std::find_if(reservations_.begin(), reservations_.end(),
                           [&](const Reservation& r) { return r.link == link; });
    if (it == reservations_.end()) {
        it = std::find_if(reservations_.begin(), reservations_.end(),
                          [&](const Reservation& r) { return r.link == 0 && SameHost(r.address, from); });
    }
    if (it == reservations_.end()) {
        return std::nullopt;
    }
    Reservation r = std::move(*it);
    reservations_.erase(it);
    return r;
}

bool Admission::SeatReserved(int table, int seat) const {
    return std::any_of(reservations_.begin(), reservations_.end(),
                       [&](const Reservation& r) { return r.table == table && r.seat == seat; });
}

std::size_t Admission::ReplaysWaiting() const {
    return static_cast<std::size_t>(std::count_if(reservations_.begin(), reservations_.end(),
                                                  [](const Reservation& r) { return r.replay != nullptr; }));
}

int Admission::SeatsLeft() const {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto coming = std::count_if(
        reservations_.begin(), reservations_.end(),
        [now](const Reservation& r) { return r.watched.empty() && r.expires >= now; });
    return std::max(host_.SeatsOpen() - static_cast<int>(coming), 0);
}

std::vector<std::string> Admission::NamesHeld() {
    // A claim outlives its lobby request until the reservation it leads to
    // is made or refused: two heartbeats cover that.
    const qint64 recent = clock_.elapsed() - 2LL * std::max(limits_.leaseSeconds * 1000 / 3, 200);
    std::erase_if(claiming_, [recent](const auto& claimed) { return claimed.second.at < recent; });
    std::set<std::string> names(seating_.begin(), seating_.end());
    for (const auto& [id, claimed] : claiming_) {
        names.insert(claimed.name);
    }
    for (const Reservation& r : reservations_) {
        names.insert(r.name);
    }
    host_.AddNamesSeated(names);
    for (const auto& [name, address] : droppedFrom_) {
        if (const Table* table = host_.TableOf(name); table && table->HasDroppedPlayer(name)) {
            names.insert(name);
        }
    }
    return {names.begin(), names.end()};
}

}  // namespace redten::room
