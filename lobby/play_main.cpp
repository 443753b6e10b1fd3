// redten-play: stands in for the lobby. Opens a room on this machine (or
// joins one), reserves a seat or a watch, starts the table client with the
// nine launch words and, when the table closes by itself, says why. It is
// the one launcher: ./play and the installed redten both run it.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QUrl>

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>

#include "lobby/directory.h"
#include "lobby/local_room.h"
#include "lobby/room_address.h"
#include "lobby/table_launch.h"
#include "platform/qt_translations.h"

namespace {

using redten::lobby::LocalRoom;

constexpr int kWaitMs = 10000;
// The table closed because its start count-down ran out: a person may want
// to sit down again.
constexpr int kCountdownStatus = 3;

volatile std::sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

// SIGTERM, SIGINT and SIGHUP end the game in order: the table goes, then the
// room settles and stops. No SA_RESTART, so a prompt gives up at once.
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(s, &action, nullptr);
    }
}

int Fail(const QString& text) {
    std::cerr << "redten-play: " << text.toStdString() << std::endl;
    return 2;
}

using Address = redten::lobby::RoomAddress;

bool ParseAddress(const QString& text, Address& out) {
    const auto parsed = redten::lobby::ParseRoomAddress(text);
    if (parsed) {
        out = *parsed;
    }
    return parsed.has_value();
}

// Asks the room for a seat (or a watch) over its lobby line. Empty when
// granted, else the room's reason.
QString Reserve(const Address& room, const QString& request) {
    QTcpSocket socket;
    socket.connectToHost(room.host, room.port);
    if (!socket.waitForConnected(kWaitMs)) {
        return QStringLiteral("连不上房间 %1:%2：%3").arg(room.host).arg(room.port).arg(socket.errorString());
    }
    socket.write(request.toUtf8() + '\n');
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < 1024 && socket.waitForReadyRead(kWaitMs)) {
        reply += socket.readAll();
    }
    reply = reply.left(reply.indexOf('\n')).trimmed();
    if (reply == "OK") {
        return {};
    }
    return reply.startsWith("ERR ") ? QString::fromUtf8(reply.mid(4)) : QStringLiteral("房间没有回答。");
}

// Runs the table to its end. Its standard output carries at most one line
// of ours, "CAUSE TEXT", when it closed by itself; anything else it prints
// is passed on.
int RunTable(const QString& exe, const QStringList& words) {
    QProcess table;
    table.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    table.setInputChannelMode(QProcess::ForwardedInputChannel);
    table.start(exe, words);
    if (!table.waitForStarted(kWaitMs)) {
        return Fail(QStringLiteral("桌子程序没有启动：") + table.errorString());
    }
    while (!table.waitForFinished(250)) {
        if (stopRequested) {
            table.terminate();
            if (!table.waitForFinished(3000)) {
                table.kill();
                table.waitForFinished(3000);
            }
            return 1;
        }
    }
    std::string cause;
    for (const QByteArray& line : table.readAllStandardOutput().split('\n')) {
        const qsizetype blank = line.indexOf(' ');
        const QByteArray word = line.left(blank);
        if (blank > 0 && (word == "countdown" || word == "runaway" || word == "sentaway" || word == "link")) {
            cause = word.toStdString();
            std::cout << "redten-play: 桌子关闭了：" << line.mid(blank + 1).toStdString() << std::endl;
        } else if (!line.isEmpty()) {
            std::cout << line.toStdString() << std::endl;
        }
    }
    if (table.exitStatus() != QProcess::NormalExit) {
        return Fail(QStringLiteral("桌子程序意外结束了。"));
    }
    return cause == "countdown" ? kCountdownStatus : table.exitCode();
}

// After a count-down closed the table, a person at a terminal may sit again.
bool OfferToSitAgain() {
    if (!isatty(STDIN_FILENO) || stopRequested) {
        return false;
    }
    std::cout << "按回车键重新坐下，Ctrl+C 结束。" << std::flush;
    std::string line;
    return static_cast<bool>(std::getline(std::cin, line)) && !stopRequested;
}

// Asks the room for the request, falling back to the plain form for a room
// from before names had secrets. Empty when granted, else why not.
QString ReserveAt(const Address& room, const QString& request, const QString& plain) {
    QString refused = Reserve(room, request);
    if (refused == QStringLiteral("无法识别的请求。") && request != plain) {
        refused = Reserve(room, plain);
    }
    return refused;
}

// Tries the live rooms of the shared records in seat order until one
// grants the request; room is then where. Empty when granted, else why not.
QString ReserveFromDirectory(const QString& uri, int goneSeconds, const QString& request, const QString& plain,
                             Address& room) {
    QString error;
    const auto rooms = redten::lobby::ReadDirectory(uri, goneSeconds, error);
    if (!rooms) {
        return QStringLiteral("读不到房间目录：") + error;
    }
    QString refused = QStringLiteral("目录里的房间都满了，请稍后再试。");
    for (const auto& entry : redten::lobby::SeatOrder(*rooms)) {
        Address at;
        if (!ParseAddress(QString::fromStdString(entry.address), at) || at.port == 0) {
            continue;  // a room row no lobby can use
        }
        const QString why = ReserveAt(at, request, plain);
        if (why.isEmpty()) {
            room = at;
            std::cout << "坐进房间 " << entry.address << std::endl;
            return {};
        }
        refused = QString::fromStdString(entry.address) + QStringLiteral("：") + why;
    }
    return refused;
}

int ListRooms(const QString& uri, int goneSeconds) {
    QString error;
    const auto rooms = redten::lobby::ReadDirectory(uri, goneSeconds, error);
    if (!rooms) {
        return Fail(QStringLiteral("读不到房间目录：") + error);
    }
    if (rooms->empty()) {
        std::cout << "目录里没有开着的房间。" << std::endl;
    }
    for (const auto& r : *rooms) {
        std::cout << r.address << "  桌子 " << r.tables << "  等人的空座 " << r.waitingSeats << "  空座 "
                  << r.freeSeats << "  " << r.age << " 秒前报到" << std::endl;
    }
    return 0;
}

QString DefaultName() {
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() || user.contains(QLatin1Char(' ')) ? QStringLiteral("玩家") : user;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("redten"));
    CatchStopSignals();
    redten::InstallQtChineseTranslations(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "红十：在本机开一个有电脑玩家的房间并坐下，或者加入别人开的房间。"));
    parser.addHelpOption();
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("你在桌上的名字（默认：登录名）。"), QStringLiteral("NAME"), DefaultName());
    const QCommandLineOption join({QStringLiteral("join"), QStringLiteral("server")}, QStringLiteral("坐进别人开的房间，不在本机开房间。"), QStringLiteral("HOST:PORT"));
    const QCommandLineOption watch(QStringLiteral("watch"), QStringLiteral("旁观这位玩家，而不是坐下来玩。"), QStringLiteral("PLAYER"));
    const QCommandLineOption listen(QStringLiteral("listen"), QStringLiteral("本机房间的地址，例如 0.0.0.0:27100 向局域网开放（默认：只在本机）。"), QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:0"));
    const QCommandLineOption bots(QStringLiteral("bots"), QStringLiteral("本机房间每张新桌的电脑玩家数，0 到 3。"), QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption level(QStringLiteral("level"), QStringLiteral("本机房间电脑玩家的水平：strong（高手，默认）、expert（大师）或 basic（新手）。"), QStringLiteral("LEVEL"), QStringLiteral("strong"));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("本机房间的战绩文件（默认：个人数据目录下的 redten/room.db）。"), QStringLiteral("FILE"));
    const QCommandLineOption table(QStringLiteral("table"), QStringLiteral("要启动的桌子程序。"), QStringLiteral("PATH"));
    const QCommandLineOption secret(QStringLiteral("secret"), QStringLiteral("你这个名字的密码，掉线后凭它回到座位（默认：自动生成并保存在个人配置目录下的 redten/secret）。"), QStringLiteral("WORD"));
    const QCommandLineOption replay(QStringLiteral("replay"), QStringLiteral("在桌上重看一局存下的对局（对局编号见房间网页）。"), QStringLiteral("GAME"));
    const QCommandLineOption seat(QStringLiteral("seat"), QStringLiteral("回放时看哪个座位的牌，1 到 4（默认 1）。"), QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption speed(QStringLiteral("speed"), QStringLiteral("回放速度：1 为原速（默认），2 为两倍速，0 为尽快。"), QStringLiteral("X"), QStringLiteral("1"));
    const QCommandLineOption directory(QStringLiteral("directory"), QStringLiteral("从多个房间共用的战绩库里找一个有空座的房间坐下，例如 postgresql://redten@db.example:5432/redten（密码放在 PGPASSWORD 或 ~/.pgpass 里）。"), QStringLiteral("URI"));
    const QCommandLineOption list(QStringLiteral("list"), QStringLiteral("和 --directory 一起用：列出开着的房间，然后退出。"));
    const QCommandLineOption gone(QStringLiteral("gone-s"), QStringLiteral("房间超过这么多秒没有报到就算已经关了（默认 15）。"), QStringLiteral("S"), QString::number(redten::lobby::kRoomGoneSeconds));
    const QCommandLineOption noLobby(QStringLiteral("no-lobby"), QStringLiteral("在桌面上也直接坐下，不打开大厅。"));
    parser.addOptions({name, join, watch, listen, bots, level, db, table, secret, replay, seat, speed, directory, list, gone, noLobby});
    parser.process(app);

    bool goneOk = false;
    const int goneSeconds = parser.value(gone).toInt(&goneOk);
    if (!goneOk || goneSeconds < 1 || goneSeconds > 86400) {
        return Fail(QStringLiteral("--gone-s 需要 1 到 86400 之间的秒数。"));
    }
    const bool fromDirectory = parser.isSet(directory);
    if (fromDirectory && parser.isSet(join)) {
        return Fail(QStringLiteral("--directory 和 --server 只能选一个。"));
    }
    if (parser.isSet(list)) {
        return fromDirectory ? ListRooms(parser.value(directory), goneSeconds)
                             : Fail(QStringLiteral("--list 要和 --directory 一起用。"));
    }

    const QString me = parser.value(name);
    if (me.isEmpty() || me.contains(QLatin1Char(' ')) || me.contains(QLatin1Char('\t'))) {
        return Fail(QStringLiteral("--name 需要一个不含空格的名字。"));
    }
    const QDir here(QCoreApplication::applicationDirPath());
    const QString exe = parser.isSet(table) ? parser.value(table)
                                            : here.filePath(QStringLiteral("../redten/table/redten-table"));
    if (!QFileInfo(exe).isExecutable()) {
        return Fail(QStringLiteral("找不到桌子程序 ") + exe);
    }

    // On a desktop, a plain start opens the lobby, with this machine's room.
    const bool desktop = (qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) &&
                         qgetenv("QT_QPA_PLATFORM") != "offscreen";
    if (desktop && !parser.isSet(noLobby) && !parser.isSet(join) && !parser.isSet(watch) && !parser.isSet(replay) &&
        !fromDirectory) {
        QStringList words = {here.filePath(QStringLiteral("redten-lobby")), QStringLiteral("--name"), me,
                             QStringLiteral("--listen"), parser.value(listen), QStringLiteral("--level"),
                             parser.value(level), QStringLiteral("--table"), exe};
        if (parser.isSet(db)) {
            words << QStringLiteral("--db") << parser.value(db);
        }
        std::vector<QByteArray> bytes;
        for (const QString& w : words) {
            bytes.push_back(w.toLocal8Bit());
        }
        std::vector<char*> argv2;
        for (QByteArray& b : bytes) {
            argv2.push_back(b.data());
        }
        argv2.push_back(nullptr);
        ::execv(argv2[0], argv2.data());
        std::cerr << "redten-play: 大厅没有打开，直接坐下。" << std::endl;
    }

    Address room;
    LocalRoom local;
    if (fromDirectory) {
        // The room is chosen at each sit, from the rooms alive then.
    } else if (parser.isSet(join)) {
        if (!ParseAddress(parser.value(join), room) || room.port == 0) {
            return Fail(QStringLiteral("--join 需要 HOST:PORT。"));
        }
    } else {
        Address at;
        if (!ParseAddress(parser.value(listen), at)) {
            return Fail(QStringLiteral("--listen 需要 ADDR:PORT，例如 127.0.0.1:27100。"));
        }
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/redten");
        const QString records = parser.isSet(db) ? parser.value(db) : data + QStringLiteral("/room.db");
        // Records not in a file (in memory, or a database server) leave the
        // log in the data folder.
        const bool inFile = records != QLatin1String(":memory:") && !redten::room::Store::IsPostgres(records);
        const QString folder = inFile ? QFileInfo(records).absolutePath() : data;
        const QString log = folder + QStringLiteral("/room.log");
        QDir().mkpath(folder);
        std::cout << "正在开房间…" << std::endl;
        QString error;
        if (!local.Start({here.filePath(QStringLiteral("redten-room")), parser.value(listen), parser.value(bots),
                          parser.value(level), records, log},
                         error)) {
            return Fail(error);
        }
        room = {at.host == QLatin1String("0.0.0.0") ? QStringLiteral("127.0.0.1") : at.host, local.Port()};
        std::cout << "房间已经开好：" << at.host.toStdString() << ":" << local.Port() << "（日志在 "
                  << log.toStdString() << "）" << std::endl;
        QUrl pages;
        pages.setScheme(QStringLiteral("http"));
        pages.setHost(room.host);
        pages.setPort(room.port);
        pages.setPath(QStringLiteral("/"));
        std::cout << "战绩和对局的网页：" << pages.toString().toStdString() << std::endl;
    }

    const QString word = parser.isSet(secret) ? parser.value(secret) : redten::lobby::KeptSecret();
    if (!parser.isSet(secret) && word.isEmpty()) {
        std::cerr << "redten-play: 无法保存密码文件，这次不带密码。" << std::endl;
    }
    if (word.contains(QLatin1Char(' ')) || word.contains(QLatin1Char('\t')) || word.toUtf8().size() > 128) {
        return Fail(QStringLiteral("--secret 需要一个不含空格、最多 128 个字节的词。"));
    }
    const bool replaying = parser.isSet(replay);
    if (replaying && fromDirectory) {
        return Fail(QStringLiteral("回放要在存着这局的房间里看：用 --server 指明房间，或者不带 --directory。"));
    }
    if (replaying && (parser.value(replay).contains(QLatin1Char(' ')) || parser.value(seat).contains(QLatin1Char(' ')) ||
                      parser.value(speed).contains(QLatin1Char(' ')))) {
        return Fail(QStringLiteral("--replay、--seat 和 --speed 的值不能有空格。"));
    }
    // A replay claims no name and keeps no record: it goes without the secret.
    const QString plain =
        replaying ? QStringLiteral("REPLAY %1 %2 %3 %4")
                        .arg(me, parser.value(replay), parser.value(seat), parser.value(speed))
        : parser.isSet(watch) ? QStringLiteral("WATCH %1 %2").arg(me, parser.value(watch))
                              : QStringLiteral("SIT %1").arg(me);
    const QString request = word.isEmpty() || replaying ? plain : plain + QLatin1Char(' ') + word;
    if (replaying) {
        // The page pane beside the user list says which game is replayed.
        QUrl page;
        page.setScheme(QStringLiteral("http"));
        page.setHost(room.host);
        page.setPort(room.port);
        page.setPath(QStringLiteral("/adv/KOVA/ga.htm"));
        page.setQuery(QStringLiteral("replay=") + parser.value(replay));
        if (!qEnvironmentVariableIsSet("REDTEN_ADV_URL")) {
            qputenv("REDTEN_ADV_URL", page.toString().toUtf8());
        }
    }
    for (;;) {
        const QString refused = fromDirectory ? ReserveFromDirectory(parser.value(directory), goneSeconds,
                                                                     request, plain, room)
                                              : ReserveAt(room, request, plain);
        if (!refused.isEmpty()) {
            return Fail(refused);
        }
        // The table connects from this machine within moments, claiming the
        // reservation; it lives as long as its link to the room.
        const QStringList words = redten::lobby::LaunchWords(room.host, room.port, me);
        const int status = RunTable(exe, words);
        if (status != kCountdownStatus || !OfferToSitAgain()) {
            return status;  // the local room stops with us
        }
    }
}
