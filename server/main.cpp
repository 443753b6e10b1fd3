// redten-room: a room of Red Ten tables with computer players.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <iostream>

#include "engine/arena.h"
#include "engine/review.h"
#include "server/links/epoll_dispatcher.h"
#include "server/pages/record_pages.h"
#include "server/room_server.h"
#include "server/tables/selfplay.h"
#include "server/store/store_worker.h"

using namespace redten::room;

namespace {

int Fail(const QString& text) {
    std::cerr << "redten-room: " << text.toStdString() << std::endl;
    return 2;
}

// SIGTERM and SIGINT only write a byte here; the event loop reads it and
// closes the room in its own time.
int stopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
    errno = saved;
}

// Every link is a descriptor: take all the system allows this process, and
// return how many that is.
long long RaiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return 1024;
    }
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) {
            limit = raised;
        }
    }
    return limit.rlim_cur == RLIM_INFINITY ? 1 << 20 : static_cast<long long>(limit.rlim_cur);
}

// Descriptors kept for the records, the log and the secrets' thread.
constexpr long long kSpareDescriptors = 64;

bool CatchStopSignals() {
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The room's loop waits on epoll: Qt's own dispatchers walk every link
    // on each turn, so a play cost more the more links the room held. The
    // threads beside it (records, computer players) keep Qt's UNIX
    // dispatcher, not GLib's, which walks its notifier lists too.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication::setEventDispatcher(new EpollDispatcher);
    // Past a file-size limit (ulimit -f) a write fails, as on a full disk,
    // and the games wait for the records; the signal would end the room.
    ::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("redten-room"));

    // Every default below is the options' own; only the computer players'
    // level differs from the built-in one (TableOptions::kCommandLineBotLevel).
    const RoomOptions defaults;
    const TableOptions& table = defaults.table;
    const auto text = [](auto number) { return QString::number(number); };
    // The names of the log levels, as --log-level takes them.
    const std::pair<LogLevel, QLatin1String> levels[] = {
        {LogLevel::Error, QLatin1String("error")},
        {LogLevel::Warning, QLatin1String("warning")},
        {LogLevel::Info, QLatin1String("info")},
        {LogLevel::Debug, QLatin1String("debug")},
    };
    const auto levelName = [&](LogLevel level) {
        for (const auto& [l, name] : levels) {
            if (l == level) {
                return QString(name);
            }
        }
        return QString();
    };

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A room of Red Ten tables with computer players."));
    parser.addHelpOption();
    const QCommandLineOption listen(QStringLiteral("listen"), QStringLiteral("Address and port to listen on (port 0: any free one)."), QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:27100"));
    const QCommandLineOption portFile(QStringLiteral("port-file"), QStringLiteral("Write the port listened on to this file."), QStringLiteral("FILE"));
    const QCommandLineOption bots(QStringLiteral("bots"), QStringLiteral("Computer players seated at each new table (0..3)."), QStringLiteral("N"), text(defaults.botsPerTable));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("Records and games: a SQLite file, :memory: (keeps nothing), or postgresql://user@host:port/dbname shared by several rooms (password from PGPASSWORD or ~/.pgpass)."), QStringLiteral("FILE|URI"), QStringLiteral(":memory:"));
    const QCommandLineOption logLevel(QStringLiteral("log-level"), QStringLiteral("error, warning, info or debug."), QStringLiteral("LEVEL"), levelName(defaults.logLevel));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the shuffle (0: a new one every run)."), QStringLiteral("N"), text(defaults.seed));
    const QCommandLineOption pause(QStringLiteral("bot-pause-ms"), QStringLiteral("How long computer players think."), QStringLiteral("MS"), text(table.botPauseMs));
    const QCommandLineOption quiet(QStringLiteral("bot-quiet-ms"), QStringLiteral("How long computer players wait after a trick while people watch."), QStringLiteral("MS"), text(table.botQuietMs));
    const QCommandLineOption grace(QStringLiteral("drop-grace-s"), QStringLiteral("How long a dropped player's seat waits."), QStringLiteral("S"), text(table.dropGraceMs / 1000));
    const QCommandLineOption autoLimit(QStringLiteral("auto-limit"), QStringLiteral("Automatic plays that count as running away."), QStringLiteral("N"), text(table.game.autoLimit));
    const QCommandLineOption showSecs(QStringLiteral("show-secs"), QStringLiteral("Seconds to answer the red-ten question."), QStringLiteral("S"), text(table.game.showSeconds));
    const QCommandLineOption playSecs(QStringLiteral("play-secs"), QStringLiteral("Seconds for a play."), QStringLiteral("S"), text(table.game.playSeconds));
    const QCommandLineOption showBacks(QStringLiteral("show-backs"), QStringLiteral("Show the other seats' card backs (0 or 1)."), QStringLiteral("B"), text(table.game.showBacks));
    const QCommandLineOption idle(QStringLiteral("idle-drop-s"), QStringLiteral("Drop a table that sends nothing for this long (0: never)."), QStringLiteral("S"), text(defaults.idleDropMs / 1000));
    const QCommandLineOption watchers(QStringLiteral("max-watchers"), QStringLiteral("Spectators a table takes."), QStringLiteral("N"), text(defaults.maxWatchersPerTable));
    const long long descriptors = RaiseDescriptorLimit();
    const long long linksByDefault = std::max(16LL, descriptors - kSpareDescriptors);
    const QCommandLineOption maxLinks(QStringLiteral("max-links"), QStringLiteral("Links held at once; more are refused (default: the descriptor limit less 64)."), QStringLiteral("N"), QString::number(linksByDefault));
    const QCommandLineOption selfplay(QStringLiteral("selfplay"), QStringLiteral("Play N games computer against computer, check them, print the rate, exit."), QStringLiteral("N"));
    const QCommandLineOption arena(QStringLiteral("arena"), QStringLiteral("Measure computer players: A alone in each seat against three B on duplicate deals (random, basic, strong), print the figures, exit."), QStringLiteral("A,B"));
    const QCommandLineOption deals(QStringLiteral("deals"), QStringLiteral("Deals the arena plays, five games each."), QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption threads(QStringLiteral("threads"), QStringLiteral("Threads the arena plays on."), QStringLiteral("T"), QStringLiteral("1"));
    const QCommandLineOption thinkMs(QStringLiteral("bot-think-ms"), QStringLiteral("The most a computer player thinks about one decision (the arena: none unless given)."), QStringLiteral("MS"), text(table.botThinkMs));
    const QCommandLineOption botLevel(QStringLiteral("bot-level"), QStringLiteral("How well computer players play: basic, strong or expert."), QStringLiteral("LEVEL"), QLatin1String(LevelWord(TableOptions::kCommandLineBotLevel)));
    const QCommandLineOption publicAddress(QStringLiteral("public-address"), QStringLiteral("HOST:PORT lobbies reach this room at, as written in the shared records (default: the address listened on)."), QStringLiteral("HOST:PORT"));
    const QCommandLineOption lease(QStringLiteral("lease-s"), QStringLiteral("Seconds a name stays held by this room, and its row counts as alive, without a heartbeat (one every third of it)."), QStringLiteral("S"), text(defaults.leaseSeconds));
    const QCommandLineOption maxTables(QStringLiteral("max-tables"), QStringLiteral("Tables this room opens at most."), QStringLiteral("N"), text(defaults.maxTables));
    const QCommandLineOption roomName(QStringLiteral("room-name"), QStringLiteral("The name lobbies on the LAN show (default: this machine's)."), QStringLiteral("NAME"));
    const QCommandLineOption noAnnounce(QStringLiteral("no-announce"), QStringLiteral("Do not tell the LAN's lobbies about this room (a room listening on loopback never does)."));
    const QCommandLineOption web(QStringLiteral("web"), QStringLiteral("The browser table's files (default: redten/web beside the program's folder)."), QStringLiteral("DIR"));
    parser.addOptions({publicAddress, lease, maxTables, roomName, noAnnounce, web});
    const QCommandLineOption review(QStringLiteral("review"), QStringLiteral("Review stored game GAME (every decision judged from its player's view), print it, exit."), QStringLiteral("GAME"));
    const QCommandLineOption reviewWorlds(QStringLiteral("review-worlds"), QStringLiteral("Imagined deals per decision a review plays out (0: stored games are not reviewed)."), QStringLiteral("N"), QString::number(redten::engine::ReviewOptions{}.worlds));
    parser.addOptions({review, reviewWorlds});
    parser.addOptions({listen, portFile, bots, db, logLevel, seed, pause, quiet, grace, autoLimit,
                       showSecs, playSecs, showBacks, idle, watchers, maxLinks, selfplay, arena, deals,
                       threads, thinkMs, botLevel});
    parser.process(app);

    const auto number = [&](const QCommandLineOption& o, long long lo, long long hi, long long& out) {
        bool ok = false;
        out = parser.value(o).toLongLong(&ok);
        return ok && out >= lo && out <= hi;
    };
    long long v = 0;
    RoomOptions options;
    if (!number(seed, 0, LLONG_MAX, v)) return Fail(QStringLiteral("--seed wants a number"));
    options.seed = static_cast<std::uint64_t>(v);

    if (!number(thinkMs, 1, 60000, v)) return Fail(QStringLiteral("--bot-think-ms wants 1..60000"));
    const int think = static_cast<int>(v);
    if (parser.isSet(arena)) {
        long long n = 0, t = 0;
        if (!number(deals, 1, LLONG_MAX, n) || !number(threads, 1, LLONG_MAX, t)) {
            return Fail(QStringLiteral("--deals and --threads want counts"));
        }
        return redten::engine::ArenaCommand(parser.value(arena).toStdString(), n, options.seed ? options.seed : 1, t,
                                    parser.isSet(thinkMs) ? std::optional<int>(think) : std::nullopt,
                                    std::cout, std::cerr);
    }

    if (parser.isSet(selfplay)) {
        if (!number(selfplay, 1, 100000000, v)) return Fail(QStringLiteral("--selfplay wants a count"));
        const SelfPlayResult r = SelfPlay(static_cast<int>(v), options.seed ? options.seed : 1);
        std::cout << "played " << r.games << " games in " << r.seconds << " s" << std::endl;
        if (!r.failure.empty()) {
            std::cout << "broken: " << r.failure << std::endl;
            return 1;
        }
        std::cout << "games per second: " << static_cast<long long>(r.games / std::max(r.seconds, 1e-9))
                  << std::endl;
        return 0;
    }

    options.table.botThinkMs = think;
    if (const auto level = LevelNamed(parser.value(botLevel).toStdString())) {
        options.table.botLevel = *level;
    } else {
        return Fail(QStringLiteral("--bot-level wants basic, strong or expert"));
    }
    if (!number(bots, 0, 3, v)) return Fail(QStringLiteral("--bots wants 0..3"));
    options.botsPerTable = static_cast<int>(v);
    if (!number(pause, 0, 60000, v)) return Fail(QStringLiteral("--bot-pause-ms wants 0..60000"));
    options.table.botPauseMs = static_cast<int>(v);
    if (!number(quiet, 0, 60000, v)) return Fail(QStringLiteral("--bot-quiet-ms wants 0..60000"));
    options.table.botQuietMs = static_cast<int>(v);
    if (!number(grace, 0, 3600, v)) return Fail(QStringLiteral("--drop-grace-s wants 0..3600"));
    options.table.dropGraceMs = static_cast<int>(v) * 1000;
    if (!number(idle, 0, 3600, v)) return Fail(QStringLiteral("--idle-drop-s wants 0..3600"));
    options.idleDropMs = static_cast<int>(v) * 1000;
    if (!number(watchers, 0, 1000, v)) return Fail(QStringLiteral("--max-watchers wants 0..1000"));
    options.maxWatchersPerTable = static_cast<int>(v);
    if (!number(maxLinks, 1, linksByDefault, v)) {
        return Fail(QStringLiteral("--max-links wants 1..") + QString::number(linksByDefault));
    }
    options.maxLinks = static_cast<int>(v);
    if (!number(lease, 2, 3600, v)) return Fail(QStringLiteral("--lease-s wants 2..3600"));
    options.leaseSeconds = static_cast<int>(v);
    if (!number(maxTables, 1, 100000, v)) return Fail(QStringLiteral("--max-tables wants 1..100000"));
    options.maxTables = static_cast<int>(v);
    options.roomName = parser.value(roomName).left(32).toStdString();
    options.webDir = (parser.isSet(web) ? parser.value(web)
                                        : QCoreApplication::applicationDirPath() + QStringLiteral("/../redten/web"))
                         .toStdString();
    options.announce = !parser.isSet(noAnnounce);
    if (parser.isSet(publicAddress)) {
        const QString given = parser.value(publicAddress);
        const qsizetype at = given.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const uint publicPort = given.mid(at + 1).toUInt(&ok);
        if (at <= 0 || !ok || publicPort == 0 || publicPort > 65535 || given.contains(QLatin1Char(' '))) {
            return Fail(QStringLiteral("--public-address wants HOST:PORT"));
        }
        options.publicAddress = given.toStdString();
    }
    if (!number(autoLimit, 0, 255, v)) return Fail(QStringLiteral("--auto-limit wants 0..255"));
    options.table.game.autoLimit = static_cast<std::uint8_t>(v);
    if (!number(showSecs, 1, 255, v)) return Fail(QStringLiteral("--show-secs wants 1..255"));
    options.table.game.showSeconds = static_cast<std::uint8_t>(v);
    if (!number(playSecs, 1, 255, v)) return Fail(QStringLiteral("--play-secs wants 1..255"));
    options.table.game.playSeconds = static_cast<std::uint8_t>(v);
    if (!number(showBacks, 0, 1, v)) return Fail(QStringLiteral("--show-backs wants 0 or 1"));
    options.table.game.showBacks = static_cast<std::uint8_t>(v);
    const QString level = parser.value(logLevel);
    const auto named = std::find_if(std::begin(levels), std::end(levels),
                                    [&](const auto& l) { return l.second == level; });
    if (named == std::end(levels)) {
        return Fail(QStringLiteral("--log-level wants error, warning, info or debug"));
    }
    options.logLevel = named->first;

    if (!number(reviewWorlds, 0, 100000, v)) return Fail(QStringLiteral("--review-worlds wants 0..100000"));
    options.reviewWorlds = static_cast<int>(v);
    if (parser.isSet(review)) {
        long long game = 0;
        if (!number(review, 1, LLONG_MAX, game) || options.reviewWorlds == 0) {
            return Fail(QStringLiteral("--review wants a game number, and --review-worlds at least 1"));
        }
        // Reading a game makes no records where there were none.
        if (!Store::IsPostgres(parser.value(db)) && !QFile::exists(parser.value(db))) {
            return Fail(QStringLiteral("no records at ") + parser.value(db));
        }
        StoreWorker store;
        QString error;
        if (!store.Open(parser.value(db), error)) {
            return Fail(QStringLiteral("cannot open the records: ") + error);
        }
        const Read<StoredGame> read = store.Now([game](Store& s) { return ReadGame(s, game); });
        if (read.status != ReadStatus::Ok) {
            return Fail(read.status == ReadStatus::Missing ? QStringLiteral("no game %1").arg(game)
                                                            : QStringLiteral("game %1 cannot be read").arg(game));
        }
        const std::optional<redten::engine::Game> judged = JudgedGame(read.value.game);
        if (!judged) {
            return Fail(QStringLiteral("game %1 does not play by the rules").arg(game));
        }
        redten::engine::GameReview reviewed;
        reviewed.worlds = options.reviewWorlds;
        reviewed.decisions = redten::engine::ReviewGame(read.value.game.dealt, judged->Events(),
                                                        {.worlds = options.reviewWorlds});
        std::cout << ReviewReport(read.value, reviewed);
        return 0;
    }

    const QString where = parser.value(listen);
    const qsizetype colon = where.lastIndexOf(QLatin1Char(':'));
    bool portOk = false;
    const uint port = where.mid(colon + 1).toUInt(&portOk);
    const QHostAddress address(where.left(colon));
    if (colon <= 0 || !portOk || port > 65535 || address.isNull()) {
        return Fail(QStringLiteral("--listen wants ADDR:PORT, for example 127.0.0.1:27100"));
    }

    // Made before the room and gone after it: what the room hands over
    // last is written before the file closes.
    StoreWorker store;
    QString error;
    if (!store.Open(parser.value(db), error)) {
        return Fail(QStringLiteral("cannot open the records: ") + error);
    }
    RoomServer room(options, store);
    if (!CatchStopSignals()) {
        return Fail(QStringLiteral("cannot catch SIGTERM and SIGINT"));
    }
    QSocketNotifier stop(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &room, [&room] {
        char bytes[16];
        while (::read(stopPipe[0], bytes, sizeof bytes) > 0) {
        }
        room.Shutdown([] { QCoreApplication::quit(); });
    });
    if (!room.Listen(address, static_cast<quint16>(port), error)) {
        return Fail(QStringLiteral("cannot listen on ") + where + QStringLiteral(": ") + error);
    }
    if (parser.isSet(portFile)) {
        QFile file(parser.value(portFile));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(QByteArray::number(room.Port()) + '\n') < 0) {
            return Fail(QStringLiteral("cannot write ") + parser.value(portFile));
        }
    }
    return app.exec();
}
