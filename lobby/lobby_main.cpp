// redten-lobby: the lobby window. Lists this machine's own room (started
// beside it unless --no-local), the rooms given with --room and any typed
// in, and starts the table client for a chosen chair, a watch or a replay.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QStandardPaths>

#include <algorithm>
#include <iostream>

#include "lobby/directory.h"
#include "lobby/local_room.h"
#include "lobby/room_address.h"
#include "lobby/lobby_window.h"
#include "lobby/room_finder.h"
#include "lobby/table_launch.h"
#include "platform/qt_translations.h"

namespace {

// Qt's own windowing takes -name (and --name) for the window class, and
// takes it out of the command line before we see it: ours is read first.
QString TakeName(int& argc, char** argv) {
    QString name;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const QByteArray word = argv[i];
        if ((word == "--name" || word == "-name") && i + 1 < argc) {
            name = QString::fromLocal8Bit(argv[++i]);
        } else if (word.startsWith("--name=")) {
            name = QString::fromLocal8Bit(word.mid(7));
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    const QString givenName = TakeName(argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("redten"));
    QCoreApplication::setApplicationName(QStringLiteral("redten"));
    redten::InstallQtChineseTranslations(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "红十的大厅：看房间和桌子，选座位坐下、旁观或回放。\n--name NAME  你在桌上的名字（默认：上次用的名字）。"));
    parser.addHelpOption();
    const QCommandLineOption room(QStringLiteral("room"), QStringLiteral("列出这个房间，可以写多次。"), QStringLiteral("HOST:PORT"));
    const QCommandLineOption noLocal(QStringLiteral("no-local"), QStringLiteral("不在本机开房间。"));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("本机房间的战绩文件（默认：个人数据目录下的 redten/room.db）。"), QStringLiteral("FILE"));
    const QCommandLineOption level(QStringLiteral("level"), QStringLiteral("本机房间电脑玩家的水平：strong（高手，默认）、expert（大师）或 basic（新手）。"), QStringLiteral("LEVEL"), QStringLiteral("strong"));
    const QCommandLineOption table(QStringLiteral("table"), QStringLiteral("要启动的桌子程序。"), QStringLiteral("PATH"));
    const QCommandLineOption directory(QStringLiteral("directory"), QStringLiteral("列出多个房间共用的战绩库里开着的房间，例如 postgresql://redten@db.example:5432/redten。"), QStringLiteral("URI"));
    const QCommandLineOption listen(QStringLiteral("listen"), QStringLiteral("本机房间的地址，例如 0.0.0.0:27100 向局域网开放（默认：只在本机）。"), QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:0"));
    parser.addOptions({room, noLocal, db, level, table, listen, directory});
    parser.process(app);

    const QDir here(QCoreApplication::applicationDirPath());
    const QString exe = parser.isSet(table) ? parser.value(table)
                                            : here.filePath(QStringLiteral("../redten/table/redten-table"));
    if (!QFileInfo(exe).isExecutable()) {
        QMessageBox::critical(nullptr, QStringLiteral("红十"), QStringLiteral("找不到桌子程序 ") + exe);
        return 2;
    }
    redten::lobby::TableProcesses tables(exe);
    redten::lobby::LobbyWindow window(tables, redten::lobby::KeptSecret());
    if (!givenName.isEmpty()) {
        window.SetName(givenName);
    } else if (window.Name().isEmpty()) {
        const QString user = qEnvironmentVariable("USER");
        window.SetName(user.isEmpty() || user.contains(QLatin1Char(' ')) ? QStringLiteral("玩家") : user);
    }

    redten::lobby::LocalRoom local;
    if (!parser.isSet(noLocal)) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/redten");
        const QString records = parser.isSet(db) ? parser.value(db) : data + QStringLiteral("/room.db");
        QString error;
        if (local.Start({here.filePath(QStringLiteral("redten-room")), parser.value(listen),
                         QStringLiteral("3"), parser.value(level), records, data + QStringLiteral("/room.log")},
                        error)) {
            const QString host = redten::lobby::ParseRoomAddress(parser.value(listen)).value_or(
                                     redten::lobby::RoomAddress{}).host;
            const bool anywhere = host == QLatin1String("0.0.0.0") || host.isEmpty();
            window.AddRoom(QStringLiteral("本机房间"), anywhere ? QStringLiteral("127.0.0.1") : host, local.Port());
        } else {
            std::cerr << "redten-lobby: " << error.toStdString() << std::endl;
        }
    }
    for (const QString& address : parser.values(room)) {
        if (const auto at = redten::lobby::ParseRoomAddress(address); at && at->port != 0) {
            window.AddRoom(address, at->host, at->port);
        }
    }
    // The rooms of the LAN come as they announce themselves.
    redten::lobby::RoomFinder finder({});
    QObject::connect(&finder, &redten::lobby::RoomFinder::Found, &window,
                     [&window, &local](const QString& name, const QHostAddress& host, quint16 port, int tables, int free) {
                         // This machine's own room, open to the LAN, is listed once already.
                         if (local.Port() != 0 && port == local.Port() &&
                             (host.isLoopback() ||
                              std::ranges::any_of(QNetworkInterface::allAddresses(), [&host](const QHostAddress& mine) {
                                  return mine.isEqual(host, QHostAddress::TolerantConversion);
                              }))) {
                             return;
                         }
                         window.FoundRoom(QStringLiteral("局域网：") + name, host.toString(), port, tables, free);
                     });
    if (QString error; !finder.Start(error)) {
        std::cerr << "redten-lobby: 听不到局域网里的房间：" << error.toStdString() << std::endl;
    }
    // The rooms of a shared directory, read beside the window.
    std::unique_ptr<redten::lobby::DirectoryRooms> shared;
    if (parser.isSet(directory)) {
        shared = std::make_unique<redten::lobby::DirectoryRooms>(parser.value(directory), redten::lobby::kRoomGoneSeconds);
        QObject::connect(shared.get(), &redten::lobby::DirectoryRooms::Read, &window,
                         [&window](const std::vector<redten::room::RoomEntry>& rooms) {
                             for (const auto& r : rooms) {
                                 const QString address = QString::fromStdString(r.address);
                                 if (const auto at = redten::lobby::ParseRoomAddress(address); at && at->port != 0) {
                                     window.FoundRoom(QStringLiteral("目录：") + address, at->host, at->port,
                                                      r.tables, r.freeSeats);
                                 }
                             }
                         });
        shared->Start(10000);
    }
    window.show();
    return app.exec();
}
