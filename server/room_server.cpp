#include "server/room_server.h"

#include <QDateTime>
#include <QHostInfo>
#include <QUrl>
#include <QUuid>

#include <algorithm>
#include <iostream>
#include <thread>

#include "server/tables/invariants.h"
#include "server/store/records.h"
#include "server/tables/names.h"
#include "server/pages/web_pages.h"
#include "wire/handshake.h"
#include "wire/messages.h"

namespace redten::room {
namespace {

const char* const kBotNames[] = {"甲", "乙", "丙", "丁"};
// A computer player is "电脑" and its level, so people see whom they face.

LinkOptions LinkOptionsOf(const RoomOptions& o) {
    LinkOptions links;
    links.maxLinks = o.maxLinks;
    links.acceptPauseMs = o.acceptPauseMs;
    links.greetingSeconds = o.greetingSeconds;
    links.idleDropMs = o.idleDropMs;
    links.closeGraceMs = o.closeGraceMs;
    links.maxPendingOutput = o.maxPendingOutput;
    return links;
}

AdmissionLimits AdmissionLimitsOf(const RoomOptions& o) {
    AdmissionLimits limits;
    limits.reservationSeconds = o.reservationSeconds;
    limits.maxReservations = o.maxReservations;
    limits.maxWatchersPerTable = o.maxWatchersPerTable;
    limits.maxWatchersPerAddress = o.maxWatchersPerAddress;
    limits.leaseSeconds = o.leaseSeconds;
    limits.maxReplays = o.maxReplays;
    return limits;
}

int ThinkThreads(const RoomOptions& o) {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return o.thinkThreads > 0 ? o.thinkThreads : std::clamp(cores, 1, 8);
}

LogLevel LevelOf(Links::Note note) {
    switch (note) {
        case Links::Note::Warning: return LogLevel::Warning;
        case Links::Note::Info: return LogLevel::Info;
        case Links::Note::Debug: break;
    }
    return LogLevel::Debug;
}

}  // namespace

RoomServer::RoomServer(RoomOptions options, StoreWorker& store, QObject* parent)
    : QObject(parent),
      options_(options),
      store_(store),
      timers_([this] { SweepTables(); }),
      records_(store, options_.maxStoreBacklog, [this](LogLevel level, const std::string& line) { Log(level, line); }),
      pages_(this, store, options_.pageCacheMs,
             {[this] { return LiveTables(); },
              [this] {
                  return static_cast<std::size_t>(std::count_if(
                      sessions_.begin(), sessions_.end(),
                      [](const auto& l) { return l.second.person != 0 && !l.second.replaying; }));
              },
              [this] { return records_.Health(); }, &webFiles_}),
      links_(LinkOptionsOf(options_), *this,
             [this](Links::Note note, const std::string& line) { Log(LevelOf(note), line); }),
      admission_(AdmissionLimitsOf(options_), this, store_, id_, known_, records_, *this),
      thoughts_(this, ThinkThreads(options_), [this] { SweepTables(); }),
      reviews_([this](ThinkWork work, std::function<void(engine::Decision)> done) {
                   thoughts_.Later(std::move(work), std::move(done));
               },
               {.worlds = options_.reviewWorlds},
               [this](std::int64_t game, const engine::GameReview& review) { Reviewed(game, review); }) {
    seeds_.seed(options_.seed != 0 ? options_.seed : std::random_device{}());
    if (!options_.webDir.empty()) {
        std::string error;
        webFiles_.Load(QString::fromStdString(options_.webDir), error);
        if (!error.empty()) {
            Log(LogLevel::Warning, error);
        }
    }
    store_.Attach(this, [this](const std::string& line) { Log(LogLevel::Warning, "records: " + line); });
    connect(&heartbeat_, &QTimer::timeout, this, &RoomServer::Heartbeat);
    records_.onAnswered = [this](bool wasFull) {
        if (wasFull && MayStartGame()) {
            for (auto& [number, table] : tables_) {
                table->MaybeStart();
            }
        }
        FinishShutdown(false);
    };
    records_.onStored = [this](std::int64_t number, const FinishedGame& game) {
        if (options_.reviewWorlds <= 0 || shuttingDown_) {
            return;
        }
        const std::optional<engine::Game> judged = JudgedGame(game);
        if (!judged || !reviews_.Add(number, game.dealt, judged->Events())) {
            Log(LogLevel::Info, "game " + std::to_string(number) + " is not reviewed: " +
                                    (judged ? "too many games wait for their reviews" : "it does not play by the rules"));
        }
    };
}

void RoomServer::Reviewed(std::int64_t game, const engine::GameReview& review) {
    int marked = 0;
    for (const engine::DecisionReview& d : review.decisions) {
        marked += d.mark == engine::Mark::Mistake || d.mark == engine::Mark::Blunder ? 1 : 0;
    }
    Log(LogLevel::Info, "game " + std::to_string(game) + " reviewed: " + std::to_string(review.decisions.size()) +
                            " decisions, " + std::to_string(marked) + " mistakes");
    records_.SaveReview(game, engine::ReviewText(review));
}

RoomServer::~RoomServer() {
    store_.Detach(this);  // what is queued is still written, unanswered
    thoughts_.Stop();  // no thought comes back from here on
    tables_.clear();  // their timers go first
    replays_.clear();
}

bool RoomServer::Listen(const QHostAddress& address, quint16 port, QString& error) {
    if (!links_.Listen(address, port, error)) {
        return false;
    }
    Log(LogLevel::Info, "room listening on " + address.toString().toStdString() + ":" +
                            std::to_string(links_.Port()));
    if (options_.publicAddress.empty()) {
        const bool anywhere = address == QHostAddress::Any || address == QHostAddress::AnyIPv4 ||
                              address == QHostAddress::AnyIPv6;
        options_.publicAddress =
            (anywhere ? QHostInfo::localHostName() : address.toString()).toStdString() + ":" +
            std::to_string(links_.Port());
    }
    Heartbeat();
    heartbeat_.start(std::max(options_.leaseSeconds * 1000 / 3, 200));
    StartAnnouncing(address);
    return true;
}

void RoomServer::StartAnnouncing(const QHostAddress& listening) {
    Announcer::Options o;
    o.findPort = options_.announceFindPort;
    if (!options_.announceTo.empty()) {
        const QString to = QString::fromStdString(options_.announceTo);
        const qsizetype colon = to.lastIndexOf(QLatin1Char(':'));
        o.to = QHostAddress(to.left(colon));
        o.toPort = static_cast<quint16>(to.mid(colon + 1).toUInt());
    } else if (!options_.announce || !Announcer::OpenToNetwork(listening)) {
        return;
    }
    const std::string name = options_.roomName.empty() ? QHostInfo::localHostName().toStdString() : options_.roomName;
    announcer_ = std::make_unique<Announcer>(o, [this, name] {
        const RoomEntry entry = Entry();
        return wire::RoomAnnouncement{links_.Port(), entry.tables, entry.freeSeats, name};
    });
    QString error;
    if (!announcer_->Start(error)) {
        Log(LogLevel::Warning, "lobbies' requests on the LAN go unanswered: " + error.toStdString());
    }
}

// --- links ------------------------------------------------------------------------

RoomServer::Session* RoomServer::Open(LinkId id) {
    const auto it = sessions_.find(id);
    return it != sessions_.end() && links_.IsOpen(id) ? &it->second : nullptr;
}

void RoomServer::LinkOpened(LinkId id, const QHostAddress& from) { sessions_[id].address = from; }

void RoomServer::LobbyLine(LinkId id, const QByteArray& line) { HandleLobbyLine(id, line); }

void RoomServer::BrowserLine(LinkId id, const QByteArray& line) {
    if (line.startsWith("GET")) {
        AnswerLobby(id, "ERR 这里只能坐下、旁观或回放。");
        return;
    }
    HandleLobbyLine(id, line);
}

void RoomServer::RequestTooLong(LinkId id) {
    AnswerPage(id, 414, kHtml, MessagePage("地址太长", "这个地址太长了。"));
}

void RoomServer::LinkGone(LinkId id, bool dropped) {
    const auto it = sessions_.find(id);
    if (it == sessions_.end()) {
        return;
    }
    const Session gone = std::move(it->second);
    sessions_.erase(it);
    replays_.erase(id);
    if (dropped) {
        // The table hears of a drop here, from the event loop, never in the
        // middle of one of its own calls. A link the room closed itself had
        // let its person go already.
        if (gone.person != 0) {
            const auto table = tables_.find(gone.table);
            if (table != tables_.end()) {
                table->second->LinkLost(gone.person);
                if (table->second->HasDroppedPlayer(gone.name)) {
                    admission_.RememberDroppedSeat(gone.name, gone.address);
                }
            }
        }
        SweepTables();
    }
    FinishShutdown(false);
}

void RoomServer::Refuse(LinkId id, const std::string& why) {
    if (const auto it = sessions_.find(id); it != sessions_.end()) {
        it->second.person = 0;
    }
    links_.Send(id, MakeGameNotice(why));
    links_.Close(id);
    SweepTables();
}

void RoomServer::Shutdown(std::function<void()> done) {
    if (shuttingDown_) {
        return;
    }
    shuttingDown_ = true;
    shutdownDone_ = std::move(done);
    links_.StopListening();
    announcer_.reset();
    // Lobbies stop sending people here, and its names are free elsewhere.
    heartbeat_.stop();
    store_.Unregister(id_);
    Log(LogLevel::Info, "the room closes");
    // A link that ended a moment ago counts as a drop before the games are
    // settled; its table is told now, and only now.
    for (auto& [id, session] : sessions_) {
        if (!links_.IsOpen(id) && session.person != 0) {
            const PersonId person = std::exchange(session.person, 0);
            if (const auto table = tables_.find(session.table); table != tables_.end()) {
                table->second->LinkLost(person);
            }
        }
    }
    std::map<int, bool> hadGame;
    for (auto& [number, table] : tables_) {
        hadGame[number] = table->GameRunning();
        table->Shutdown();
    }
    for (auto& [id, session] : sessions_) {
        if (!links_.IsOpen(id)) {
            continue;
        }
        if (session.greeted) {
            const auto had = hadGame.find(session.table);
            const bool inGame = had != hadGame.end() && had->second;
            links_.Send(id, MakeGameNotice(inGame ? "房间已关闭，本局游戏已结束。" : "房间已关闭。"));
        }
        session.person = 0;
        links_.Close(id);
    }
    tables_.clear();
    replays_.clear();
    QTimer::singleShot(options_.closeGraceMs + 1000, this, [this] { FinishShutdown(true); });
    QTimer::singleShot(options_.storeDrainMs, this, [this] {
        storeGaveUp_ = true;
        FinishShutdown(false);
    });
    records_.RetryNow();
    FinishShutdown(false);
}

void RoomServer::FinishShutdown(bool now) {
    if (!shutdownDone_) {
        return;
    }
    linksGone_ = linksGone_ || now || links_.Count() == 0;
    const std::size_t unwritten = records_.Unwritten();
    if (!linksGone_ || (unwritten > 0 && !storeGaveUp_)) {
        return;
    }
    if (unwritten > 0) {
        Log(LogLevel::Error, std::to_string(unwritten) + " finished games are not written yet; the records are tried once more at the exit");
    }
    Log(LogLevel::Info, "the room is closed");
    std::exchange(shutdownDone_, nullptr)();
}

void RoomServer::HandleLobbyLine(LinkId id, const QByteArray& line) {
    const QList<QByteArray> words = line.trimmed().split(' ');
    const std::string verb = words.value(0).toStdString();
    if (verb == "GET") {
        ServePage(id, line.trimmed().toStdString());
    } else if (verb == "REPLAY") {
        admission_.RequestReplay(id, words, replays_.size());
    } else {
        admission_.Request(id, words);
    }
}

int RoomServer::UnreservedSeat(const Table& table) const {
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (table.SeatIsFree(s) && !admission_.SeatReserved(table.Number(), s)) {
            return s;
        }
    }
    return -1;
}

bool RoomServer::ReadStoredGame(std::int64_t game, std::function<void(Read<StoredGame>)> done) {
    return pages_.Read<Read<StoredGame>>([game](Store& store) { return ReadGame(store, game); },
                                         std::move(done));
}

void RoomServer::StartReplay(LinkId id, Session& session, const Reservation& r) {
    session.replaying = true;
    ReplayOptions o;
    o.game = options_.table.game;
    o.speed = r.replaySpeed;
    o.stepMs = options_.replayStepMs;
    o.pauseMs = options_.replayPauseMs;
    TableHost& host = *this;
    auto replay = std::make_unique<Replay>(id, r.name, *r.replay, r.replaySeat, o, host);
    Replay& started = *replays_.emplace(id, std::move(replay)).first->second;
    Log(LogLevel::Info, r.name + " watches a replay of game " + std::to_string(r.replay->id));
    started.Start();
}

// --- pages -------------------------------------------------------------------------

std::vector<LiveTable> RoomServer::LiveTables() const {
    std::vector<LiveTable> live;
    for (const auto& [number, table] : tables_) {
        LiveTable t;
        t.number = number;
        t.playing = table->GameRunning();
        for (std::uint8_t s = 0; s < 4; ++s) {
            t.players.push_back(table->SeatName(s));
            t.computers.push_back(table->SeatIsComputer(s));
        }
        t.level = LevelWord(table->Level());
        t.watchers = table->SpectatorNames();
        live.push_back(std::move(t));
    }
    return live;
}

void RoomServer::AnswerPage(PersonId id, int status, std::string_view type,
                            const std::string& body) {
    links_.Answer(id, QByteArray::fromStdString(WebResponse(status, type, body)));
}

void RoomServer::ServePage(LinkId id, const std::string& requestLine) {
    // Where a browser finds the pages: the address this link came to (an
    // IPv4 link to a room listening on both kinds is shown as IPv4).
    bool v4 = false;
    const QHostAddress local = links_.LocalAddress(id);
    const quint32 ipv4 = local.toIPv4Address(&v4);
    QUrl here;
    here.setScheme(QStringLiteral("http"));
    here.setHost(v4 ? QHostAddress(ipv4).toString() : local.toString());
    here.setPort(Port());
    here.setPath(QStringLiteral("/"));
    pages_.Serve(requestLine, here.toString().toStdString(),
                 [this, id](int status, std::string_view type, const std::string& body) {
                     AnswerPage(id, status, type, body);
                 });
}

void RoomServer::TableMessage(LinkId id, const Bytes& message) {
    const auto it = sessions_.find(id);
    if (it == sessions_.end()) {
        return;
    }
    Session& session = it->second;
    if (!session.greeted) {
        const auto greeting = wire::Greeting::Decode(message);
        if (!greeting || greeting->version != kProtocolVersion || greeting->game != kGameId) {
            links_.Drop(id, "did not greet the room");
            return;
        }
        session.greeted = true;
        session.allowWatch = greeting->allowWatch;
        links_.Greeted(id);
        Claim(id, session);
        return;
    }
    if (session.replaying) {
        const auto replay = replays_.find(id);
        if (replay != replays_.end() && replay->second->OnMessage(message)) {
            Disconnect(id);
        }
        return;
    }
    const auto table = tables_.find(session.table);
    if (table != tables_.end()) {
        table->second->OnMessage(session.person, message);
    }
}

void RoomServer::Claim(LinkId id, Session& session) {
    const std::optional<Reservation> taken = admission_.Take(session.address, id);
    if (!taken) {
        Log(LogLevel::Info, "a table came without a reservation");
        Refuse(id, "没有找到你的座位预订，请从大厅重新进入。");
        return;
    }
    const Reservation& r = *taken;
    session.person = id;
    session.name = r.name;
    if (r.replay) {
        StartReplay(id, session, r);
        return;
    }

    // A player back from a drop finds the record at the table.
    if (Table* table = TableOf(r.name); r.watched.empty() && table && table->HasDroppedPlayer(r.name)) {
        session.table = table->Number();
        admission_.DroppedSeatTaken(r.name);
        table->Rejoin(id, r.name, session.allowWatch);
        admission_.KeepSecret(r);
        return;
    }
    if (!MayStartGame()) {
        Refuse(id, "房间暂时存不下战绩，请稍后再来。");
        return;
    }
    // The name is taken while its record is read.
    admission_.BeginSeating(r.name);
    const bool asked = store_.LoadOrCreate(this, r.name, false, [this, id, r](std::optional<PersonRecord> person) {
        admission_.EndSeating(r.name);
        Seat(id, r, person);
    });
    if (!asked) {
        admission_.EndSeating(r.name);
        Log(LogLevel::Warning, "the records are too busy to read the record of " + r.name);
        Refuse(id, "房间暂时读不到你的战绩，请稍后再来。");
    }
}

void RoomServer::Seat(PersonId id, const Reservation& r, const std::optional<PersonRecord>& person) {
    Session* session = Open(id);
    if (session == nullptr) {
        return;  // gone while its record was read
    }
    if (shuttingDown_) {
        Refuse(id, "房间已关闭。");
        return;
    }
    const KnownPeople::Known* known = person ? nullptr : known_.Find(r.name);
    if (!person && !known) {
        Refuse(id, "房间暂时读不到你的战绩，请稍后再来。");
        return;
    }
    // Seated before in this run: the record read then stands in while the
    // records are out of reach.
    const PersonRecord record = person ? *person : *known->record;
    known_.Seated(record);
    if (!r.watched.empty()) {
        Table* table = TableOf(r.watched);
        if (table && admission_.WatchRefusal(*table, session->address)) {
            Refuse(id, "旁观的人已经满了。");
            return;
        }
        session->watching = true;
        if (table && table->AddSpectator(id, record, r.watched, session->allowWatch)) {
            session->table = table->Number();
            admission_.KeepSecret(r);
            return;
        }
        Refuse(id, "没有找到你要旁观的玩家。");
        return;
    }
    if (r.table != 0) {
        // The seat asked for, if it is still to be had.
        const auto chosen = tables_.find(r.table);
        if (chosen == tables_.end() || chosen->second->GameRunning() ||
            !chosen->second->SeatIsFree(static_cast<std::uint8_t>(r.seat))) {
            Refuse(id, "你选的座位已经有人了，请从大厅重新选。");
            return;
        }
        session->table = r.table;
        if (!chosen->second->SeatPlayer(id, record, false, session->allowWatch, r.seat)) {
            Refuse(id, "没能为你安排座位，请从大厅重新进入。");
            return;
        }
        admission_.KeepSecret(r);
        return;
    }
    if (r.newTable) {
        // A table of the person's own, with the computer players asked for.
        if (tables_.size() >= static_cast<std::size_t>(options_.maxTables)) {
            Refuse(id, "这个房间的桌子都满了，请换一个房间。");
            return;
        }
        Table& fresh = NewTable(r.level);
        session->table = fresh.Number();
        if (!fresh.SeatPlayer(id, record, false, session->allowWatch)) {
            Refuse(id, "没能为你安排座位，请从大厅重新进入。");
            return;
        }
        admission_.KeepSecret(r);
        SeatComputers(fresh, r.computers);
        return;
    }
    Table* table = nullptr;
    int seat = -1;  // the first free one of a new table
    for (auto& [number, t] : tables_) {
        // A table whose computer players are on their way is full already.
        if (!t->GameRunning() && t->HasHumans() && !awaitingComputers_.count(number)) {
            seat = UnreservedSeat(*t);
            if (seat >= 0) {
                table = t.get();
                break;
            }
        }
    }
    const bool fresh = table == nullptr;
    if (fresh && tables_.size() >= static_cast<std::size_t>(options_.maxTables)) {
        Refuse(id, "这个房间的桌子都满了，请换一个房间。");
        return;
    }
    if (fresh) {
        table = &NewTable(options_.table.botLevel);
    }
    session->table = table->Number();
    if (!table->SeatPlayer(id, record, false, session->allowWatch, seat)) {
        Refuse(id, "没能为你安排座位，请从大厅重新进入。");
        return;
    }
    admission_.KeepSecret(r);
    if (fresh) {
        SeatComputers(*table, options_.botsPerTable);
    }
}

void RoomServer::SeatComputers(Table& table, int count) {
    if (count <= 0) {
        return;
    }
    const int number = table.Number();
    const char* level = table.Level() == BotLevel::Expert   ? "电脑大师"
                        : table.Level() == BotLevel::Strong ? "电脑高手"
                                                            : "电脑新手";
    std::vector<std::string> names;
    for (int i = 0; i < count && i < 3; ++i) {
        names.push_back(level + std::string(kBotNames[i]) + std::to_string(number));
    }
    awaitingComputers_.insert(number);
    const Table* expected = &table;
    store_.LoadComputers(this, names, [this, number, expected, names](const std::vector<std::optional<PersonRecord>>& bots) {
        awaitingComputers_.erase(number);
        const auto it = tables_.find(number);
        if (it == tables_.end() || it->second.get() != expected) {
            return;  // the table closed meanwhile
        }
        for (std::size_t i = 0; i < bots.size() && i < names.size() && it->second->HasFreeSeat(); ++i) {
            // With the records out of reach, a computer player plays on the
            // record it had earlier in this run, or on a fresh one whose row
            // is made when its first game is written.
            PersonRecord bot;
            if (bots[i]) {
                bot = *bots[i];
            } else if (const KnownPeople::Known* known = known_.Find(names[i])) {
                bot = *known->record;
            } else {
                bot.name = names[i];
                bot.portrait = kStandInComputerPortrait;
            }
            known_.Seated(bot);
            it->second->SeatPlayer(nextBot_--, bot, true, true);
        }
    });
}

Table& RoomServer::NewTable(BotLevel level) {
    // Numbers are reused, and with them the computer players' names, so the
    // records hold a fixed pool of computer players however many tables
    // have come and gone.
    int number = 1;
    while (tables_.count(number)) {
        ++number;
    }
    TableHost& host = *this;
    TableOptions options = options_.table;
    options.botLevel = level;
    auto table = std::make_unique<Table>(number, options, host);
    Table& ref = *table;
    tables_[number] = std::move(table);
    Log(LogLevel::Info, "table " + std::to_string(number) + " opens");
    return ref;
}

Table* RoomServer::TableOf(const std::string& name) const {
    for (const auto& [number, t] : tables_) {
        if (t->HasPerson(name)) {
            return t.get();
        }
    }
    return nullptr;
}

void RoomServer::SweepTables() {
    if (sweepScheduled_) {
        return;
    }
    sweepScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        sweepScheduled_ = false;
        for (auto it = tables_.begin(); it != tables_.end();) {
            if (!it->second->HasHumans()) {
                Log(LogLevel::Info, "table " + std::to_string(it->first) + " closes");
                it = tables_.erase(it);
            } else {
                ++it;
            }
        }
    });
}

// --- what tables ask of the room ---------------------------------------------------

void RoomServer::Send(PersonId to, const Bytes& message) { links_.Send(to, message); }

void RoomServer::Disconnect(PersonId who) {
    if (!links_.IsOpen(who)) {
        return;
    }
    if (const auto it = sessions_.find(who); it != sessions_.end()) {
        it->second.person = 0;  // the table has let this person go already
    }
    replays_.erase(who);
    links_.Close(who);
    SweepTables();
}

TimerId RoomServer::After(int ms, std::function<void()> fn) { return timers_.After(ms, std::move(fn)); }

void RoomServer::Cancel(TimerId timer) { timers_.Cancel(timer); }

void RoomServer::Log(LogLevel level, const std::string& line) {
    if (static_cast<int>(level) > static_cast<int>(options_.logLevel)) {
        return;
    }
    std::cerr << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toStdString()
              << ' ' << line << std::endl;
}

void RoomServer::GameFinished(const FinishedGame& game) {
    if (const auto broken = CheckFinishedGame(game)) {
        ++brokenGames_;
        Log(LogLevel::Error, "table " + std::to_string(game.tableNo) + ": a game broke the rules: " + *broken);
    }
    // The records shown at the tables are kept, for anyone let back in on
    // them while the records are out of reach.
    for (const PersonRecord& record : game.records) {
        known_.Update(record);
    }
    records_.Save(game);
}

void RoomServer::Heartbeat() {
    if (heartbeatPending_ || shuttingDown_) {
        return;  // a slow database gets one heartbeat at a time
    }
    heartbeatPending_ = true;
    store_.Heartbeat(this, Entry(), admission_.NamesHeld(), options_.leaseSeconds,
                     [this](bool) { heartbeatPending_ = false; });
}

RoomEntry RoomServer::Entry() const {
    RoomEntry entry;
    entry.id = id_;
    entry.address = options_.publicAddress;
    entry.tables = static_cast<int>(tables_.size());
    for (const auto& [number, table] : tables_) {
        if (!table->GameRunning() && table->HasHumans() && !awaitingComputers_.count(number)) {
            entry.waitingSeats += table->FreeSeats();
        }
    }
    entry.freeSeats = admission_.SeatsLeft();
    return entry;
}

// --- what admission asks of the room --------------------------------------------------

std::optional<QHostAddress> RoomServer::OpenLink(LinkId id) const {
    const auto it = sessions_.find(id);
    if (it == sessions_.end() || !links_.IsOpen(id)) {
        return std::nullopt;
    }
    return it->second.address;
}

void RoomServer::AnswerLobby(LinkId id, const std::string& text) {
    // A lobby reads a line; a browser's table, a message.
    links_.Answer(id, QByteArray::fromStdString(links_.IsBrowser(id) ? text : text + "\n"));
}

bool RoomServer::SeatsItself(LinkId id) const { return links_.IsBrowser(id); }

Table* RoomServer::TableNumbered(int number) const {
    const auto it = tables_.find(number);
    return it == tables_.end() ? nullptr : it->second.get();
}

int RoomServer::SeatsOpen() const {
    int seats = 0;
    for (const auto& [number, table] : tables_) {
        if (!table->GameRunning() && table->HasHumans() && !awaitingComputers_.count(number)) {
            seats += table->FreeSeats();
        }
    }
    // A new table takes as many people as computer players leave room for.
    const int perTable = 4 - std::clamp(options_.botsPerTable, 0, 3);
    return seats + perTable * std::max(options_.maxTables - static_cast<int>(tables_.size()), 0);
}

bool RoomServer::AwaitingComputers(int table) const { return awaitingComputers_.count(table) > 0; }

std::size_t RoomServer::WatchersFrom(const QHostAddress& from) const {
    return static_cast<std::size_t>(std::count_if(sessions_.begin(), sessions_.end(), [&](const auto& held) {
        const Session& s = held.second;
        return s.watching && s.person != 0 && s.address.isEqual(from, QHostAddress::TolerantConversion);
    }));
}

void RoomServer::AddNamesSeated(std::set<std::string>& names) const {
    for (const auto& [id, session] : sessions_) {
        if (session.person != 0 && !session.name.empty()) {
            names.insert(session.name);
        }
    }
}

bool RoomServer::MayStartGame() { return records_.MayStartGame(); }

std::uint64_t RoomServer::NextDealSeed() { return seeds_(); }

ThinkId RoomServer::Think(ThinkWork work, std::function<void(engine::Decision)> done) {
    return thoughts_.Think(std::move(work), std::move(done));
}

void RoomServer::CancelThink(ThinkId id) { thoughts_.Cancel(id); }

}  // namespace redten::room
