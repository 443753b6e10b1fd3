#include "room_server.h"

#include <QDateTime>

#include <algorithm>
#include <iostream>
#include <thread>

#include "invariants.h"
#include "names.h"
#include "web_pages.h"
#include "net/wire/message.h"
#include "net/wire/text_fields.h"

namespace redten::room {
namespace {

constexpr int kMaxLobbyLine = 512;
constexpr long kMaxReservationsPerAddress = 16;
// Tables send small messages; a frame this big is no table's.
constexpr std::uint32_t kMaxTableFrame = 64 * 1024;
constexpr qint64 kMaxReadChunk = 64 * 1024;
const char* const kBotNames[] = {"甲", "乙", "丙", "丁"};
// A computer player is "电脑" and its level, so people see whom they face.
constexpr int kComputerKind = 5;  // the thousands of its portrait: "电脑玩家"

bool SameHost(const QHostAddress& a, const QHostAddress& b) {
    return a.isEqual(b, QHostAddress::TolerantConversion);
}

QByteArray Frame(const Bytes& message) {
    const Bytes frame = EncodeFrame(message);
    return QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()));
}

}  // namespace

RoomServer::RoomServer(RoomOptions options, Store& store, QObject* parent)
    : QObject(parent), options_(options), store_(store) {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    pool_ = std::make_unique<ThinkPool>(options_.thinkThreads > 0 ? options_.thinkThreads
                                                                  : std::clamp(cores, 1, 8));
    seeds_.seed(options_.seed != 0 ? options_.seed : std::random_device{}());
    connect(&server_, &QTcpServer::newConnection, this, &RoomServer::OnNewConnection);
}

RoomServer::~RoomServer() {
    pool_.reset();    // no thought comes back from here on
    tables_.clear();  // their timers go first
    for (auto& [id, timer] : timers_) {
        delete timer;
    }
    for (auto& [id, link] : links_) {
        if (link.socket) {
            link.socket->disconnect(this);
        }
    }
}

bool RoomServer::Listen(const QHostAddress& address, quint16 port, QString& error) {
    if (!server_.listen(address, port)) {
        error = server_.errorString();
        return false;
    }
    Log(LogLevel::Info, "room listening on " + address.toString().toStdString() + ":" +
                            std::to_string(server_.serverPort()));
    return true;
}

// --- connections ------------------------------------------------------------------

void RoomServer::OnNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const PersonId id = nextPerson_++;
        Link& link = links_.emplace(id, Link{kMaxTableFrame}).first->second;
        link.id = id;
        link.socket = socket;
        socket->setParent(this);
        // Whatever a peer pours in waits in the kernel, not here: we take
        // it a bounded piece at a time.
        socket->setReadBufferSize(kMaxReadChunk);
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { OnReadyRead(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { OnDisconnected(id); });
        link.greetTimer = new QTimer(socket);
        link.greetTimer->setSingleShot(true);
        connect(link.greetTimer, &QTimer::timeout, this, [this, id] {
            const auto it = links_.find(id);
            if (it != links_.end() && !it->second.greeted) {
                Drop(id, "said nothing in time");
            }
        });
        link.greetTimer->start(options_.greetingSeconds * 1000);
    }
}

void RoomServer::OnReadyRead(PersonId id) {
    const auto it = links_.find(id);
    if (it == links_.end() || !it->second.socket) {
        return;
    }
    Link& link = it->second;
    QTcpSocket* socket = link.socket;
    if (link.closing) {
        socket->readAll();
        return;
    }
    if (link.kind == Link::Kind::Unknown) {
        char first = 0;
        if (socket->peek(&first, 1) != 1) {
            return;
        }
        link.kind = first == 0 ? Link::Kind::Table : Link::Kind::Lobby;
    }
    if (link.kind == Link::Kind::Lobby) {
        link.line += socket->read(kMaxLobbyLine + 1 - link.line.size());
        socket->readAll();
        const qsizetype newline = link.line.indexOf('\n');
        if (newline >= 0) {
            HandleLobbyLine(link, link.line.left(newline));
        } else if (link.line.size() > kMaxLobbyLine) {
            HandleLobbyLine(link, QByteArray());
        }
        return;
    }
    const QByteArray data = socket->readAll();
    if (!link.decoder.feed(reinterpret_cast<const std::uint8_t*>(data.constData()),
                           static_cast<std::size_t>(data.size()))) {
        Drop(id, "broke the framing");
        return;
    }
    while (!link.closing && link.decoder.hasMessage()) {
        HandleTableMessage(link, link.decoder.takeMessage());
    }
}

void RoomServer::OnDisconnected(PersonId id) {
    const auto it = links_.find(id);
    if (it == links_.end()) {
        return;
    }
    if (!it->second.closing) {
        Drop(id, "closed the link");
        return;
    }
    // A link we were closing ourselves has gone: nothing is left to tell.
    // It is forgotten from the event loop: disconnectFromHost may report the
    // end at once, while a caller still holds the link.
    QTimer::singleShot(0, this, [this, id] { Forget(id); });
}

void RoomServer::Forget(PersonId id) {
    const auto it = links_.find(id);
    if (it == links_.end()) {
        return;
    }
    if (it->second.socket) {
        it->second.socket->disconnect(this);
        it->second.socket->deleteLater();
    }
    links_.erase(it);
}

void RoomServer::CloseGently(Link& link) {
    link.closing = true;
    QTcpSocket* socket = link.socket;
    if (!socket) {
        return;
    }
    // A peer that will not take what is left gets cut off.
    QTimer::singleShot(options_.closeGraceMs, socket, [socket] { socket->abort(); });
    socket->disconnectFromHost();  // last: it may end the link at once
}

void RoomServer::Drop(PersonId id, const char* why) {
    const auto it = links_.find(id);
    if (it == links_.end() || it->second.closing) {
        return;
    }
    Link& link = it->second;
    link.closing = true;
    if (link.kind == Link::Kind::Table) {
        Log(LogLevel::Debug, "link " + std::to_string(id) + " " + why);
    }
    if (link.socket) {
        link.socket->disconnect(this);
        link.socket->abort();
        link.socket->deleteLater();
    }
    // The table hears of it from the event loop, never in the middle of
    // one of its own calls.
    QTimer::singleShot(0, this, [this, id] {
        const auto found = links_.find(id);
        if (found == links_.end()) {
            return;
        }
        const Link link = found->second;
        links_.erase(found);
        if (link.person != 0) {
            const auto table = tables_.find(link.table);
            if (table != tables_.end()) {
                table->second->LinkLost(link.person);
            }
        }
        SweepTables();
    });
}

void RoomServer::HandleLobbyLine(Link& link, const QByteArray& line) {
    const auto reply = [&](const std::string& text) {
        link.socket->write(QByteArray::fromStdString(text + "\n"));
        CloseGently(link);
    };
    const QList<QByteArray> words = line.trimmed().split(' ');
    const std::string verb = words.value(0).toStdString();
    if (verb == "GET") {
        // A browser (or the table's page view) asks for the room's page.
        RoomFigures figures;
        figures.people = reservations_.size() +
                         static_cast<std::size_t>(std::count_if(links_.begin(), links_.end(),
                                                                [](const auto& l) { return l.second.greeted; }));
        link.socket->write(QByteArray::fromStdString(WebReply(line.trimmed().toStdString(), figures)));
        CloseGently(link);
        return;
    }
    const std::string name = words.value(1).toStdString();
    const std::string watched = words.value(2).toStdString();
    if (!((verb == "SIT" && words.size() == 2) || (verb == "WATCH" && words.size() == 3))) {
        reply("ERR 无法识别的请求。");
        return;
    }
    if (const auto bad = CheckPersonName(name)) {
        reply("ERR " + *bad);
        return;
    }
    Table* at = TableOf(name);
    if (at && !(verb == "SIT" && at->HasDroppedPlayer(name))) {
        reply("ERR 这个名字正在使用中，请换一个。");
        return;
    }
    if (verb == "WATCH") {
        Table* table = TableOf(watched);
        if (!table || table->HasDroppedPlayer(watched) || watched == name) {
            reply("ERR 没有找到你要旁观的玩家。");
            return;
        }
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QHostAddress from = link.socket->peerAddress();
    reservations_.erase(std::remove_if(reservations_.begin(), reservations_.end(),
                                       [&](const Reservation& r) {
                                           return r.name == name || r.expires < now;
                                       }),
                        reservations_.end());
    const auto fromHere = std::count_if(reservations_.begin(), reservations_.end(),
                                        [&](const Reservation& r) { return SameHost(r.address, from); });
    if (fromHere >= kMaxReservationsPerAddress) {
        reply("ERR 预订太多了，请稍后再试。");
        return;
    }
    Reservation r;
    r.name = name;
    r.watched = verb == "WATCH" ? watched : std::string();
    r.address = from;
    r.expires = now + options_.reservationSeconds * 1000LL;
    reservations_.push_back(r);
    Log(LogLevel::Info, "reserved " + (r.watched.empty() ? "a seat" : "a watch of " + watched) +
                            " for " + name);
    reply("OK");
}

void RoomServer::HandleTableMessage(Link& link, const Bytes& message) {
    if (!link.greeted) {
        // A greeting is a dozen bytes; look at nothing bigger.
        constexpr std::size_t kMaxGreeting = 32;
        const bool plausible = message.size() >= 3 && message.size() <= kMaxGreeting &&
                               message[0] == 130 && message[1] == 0;
        const auto fields = plausible ? SplitFields(GetTextFromBytes(message, 2))
                                      : std::vector<std::string>{};
        if (fields.size() != 3 || fields[0] != "700" || fields[1] != "KOVA") {
            Drop(link.id, "did not greet the room");
            return;
        }
        link.greeted = true;
        link.allowWatch = TextValue(fields[2]) > 0;
        Claim(link);
        return;
    }
    const auto table = tables_.find(link.table);
    if (table != tables_.end()) {
        table->second->OnMessage(link.person, message);
    }
}

void RoomServer::Claim(Link& link) {
    const PersonId id = link.id;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    reservations_.erase(std::remove_if(reservations_.begin(), reservations_.end(),
                                       [&](const Reservation& r) { return r.expires < now; }),
                        reservations_.end());
    const auto it = std::find_if(reservations_.begin(), reservations_.end(), [&](const Reservation& r) {
        return SameHost(r.address, link.socket->peerAddress());
    });
    if (it == reservations_.end()) {
        Log(LogLevel::Info, "a table came without a reservation");
        Drop(id, "had no reservation");
        return;
    }
    const Reservation r = *it;
    reservations_.erase(it);
    link.person = id;

    if (!r.watched.empty()) {
        Table* table = TableOf(r.watched);
        if (table && table->AddSpectator(id, store_.LoadOrCreate(r.name, false), r.watched,
                                         link.allowWatch)) {
            link.table = table->Number();
            return;
        }
        link.person = 0;
        Drop(id, "could not watch");
        return;
    }
    if (Table* table = TableOf(r.name); table && table->HasDroppedPlayer(r.name)) {
        link.table = table->Number();
        table->Rejoin(id, r.name, link.allowWatch);
        return;
    }
    Table* table = nullptr;
    for (auto& [number, t] : tables_) {
        if (t->HasFreeSeat() && !t->GameRunning() && t->HasHumans()) {
            table = t.get();
            break;
        }
    }
    const bool fresh = table == nullptr;
    if (fresh) {
        table = &NewTable();
    }
    link.table = table->Number();
    if (!table->SeatPlayer(id, store_.LoadOrCreate(r.name, false), false, link.allowWatch)) {
        link.person = 0;
        Drop(id, "could not sit");
        return;
    }
    if (fresh) {
        const char* level = options_.table.botLevel == BotLevel::Strong ? "电脑高手" : "电脑新手";
        for (int i = 0; i < options_.botsPerTable && i < 4 && table->HasFreeSeat(); ++i) {
            const std::string name = level + std::string(kBotNames[i]) + std::to_string(table->Number());
            PersonRecord bot = store_.LoadOrCreate(name, true);
            bot.portrait = kComputerKind * 1000 + bot.portrait % 1000;
            table->SeatPlayer(nextBot_--, bot, true, true);
        }
    }
}

Table& RoomServer::NewTable() {
    const int number = nextTable_++;
    TableHost& host = *this;
    auto table = std::make_unique<Table>(number, options_.table, host);
    Table& ref = *table;
    tables_[number] = std::move(table);
    Log(LogLevel::Info, "table " + std::to_string(number) + " opens");
    return ref;
}

Table* RoomServer::TableOf(const std::string& name) {
    for (auto& [number, t] : tables_) {
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

void RoomServer::Send(PersonId to, const Bytes& message) {
    const auto it = links_.find(to);
    if (it == links_.end() || it->second.closing || !it->second.socket) {
        return;
    }
    QTcpSocket* socket = it->second.socket;
    if (socket->bytesToWrite() > options_.maxPendingOutput) {
        Drop(to, "does not read what it is sent");
        return;
    }
    socket->write(Frame(message));
}

void RoomServer::Disconnect(PersonId who) {
    const auto it = links_.find(who);
    if (it == links_.end() || it->second.closing) {
        return;
    }
    Link& link = it->second;
    link.person = 0;  // the table has let this person go already
    CloseGently(link);
    SweepTables();
}

TimerId RoomServer::After(int ms, std::function<void()> fn) {
    const TimerId id = nextTimer_++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, id, fn = std::move(fn)] {
        const auto it = timers_.find(id);
        if (it == timers_.end()) {
            return;
        }
        it->second->deleteLater();
        timers_.erase(it);
        fn();
        SweepTables();
    });
    timers_[id] = timer;
    timer->start(std::max(ms, 0));
    return id;
}

void RoomServer::Cancel(TimerId timer) {
    const auto it = timers_.find(timer);
    if (it != timers_.end()) {
        it->second->stop();
        it->second->deleteLater();
        timers_.erase(it);
    }
}

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
    const std::int64_t number = store_.SaveGame(game);
    Log(LogLevel::Info, "table " + std::to_string(game.tableNo) + ": game stored as number " +
                            std::to_string(number));
}

std::uint64_t RoomServer::NextDealSeed() { return seeds_(); }

ThinkId RoomServer::Think(ThinkWork work, std::function<void(engine::Decision)> done) {
    const ThinkId id = nextThink_++;
    auto job = std::make_shared<ThinkPool::Job>();
    job->work = std::move(work);
    job->deliver = [this, id](engine::Decision decision) {
        // Back on the room's thread; a thought cancelled meanwhile is dropped.
        QMetaObject::invokeMethod(
            this,
            [this, id, decision = std::move(decision)]() mutable {
                const auto it = thinking_.find(id);
                if (it == thinking_.end()) {
                    return;
                }
                auto done = std::move(it->second.done);
                thinking_.erase(it);
                done(std::move(decision));
                SweepTables();
            },
            Qt::QueuedConnection);
    };
    thinking_[id] = Thinking{job, std::move(done)};
    pool_->Submit(std::move(job));
    return id;
}

void RoomServer::CancelThink(ThinkId id) {
    const auto it = thinking_.find(id);
    if (it != thinking_.end()) {
        it->second.job->cancel = true;
        thinking_.erase(it);
    }
}

}  // namespace redten::room
