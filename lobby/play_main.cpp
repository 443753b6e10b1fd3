// redten-play: stands in for the lobby. Reserves a seat (or a watch) in a
// room, then becomes the table client with the nine launch words.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTcpSocket>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "startup/launch_context.h"

namespace {

constexpr char kGameTitle[] = "红十";
constexpr char kLevels[] = "新手_0`入门_200`熟手_500`高手_1000`大师_2000`宗师_5000";
constexpr int kWaitMs = 10000;

int Fail(const std::string& text) {
    std::cerr << "redten-play: " << text << std::endl;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reserves a seat in a Red Ten room and starts the table."));
    parser.addHelpOption();
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("The room, HOST:PORT."), QStringLiteral("HOST:PORT"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Your name at the table."), QStringLiteral("NAME"));
    const QCommandLineOption watch(QStringLiteral("watch"), QStringLiteral("Watch this player instead of playing."), QStringLiteral("PLAYER"));
    const QCommandLineOption table(QStringLiteral("table"), QStringLiteral("The table client to start."), QStringLiteral("PATH"));
    parser.addOptions({server, name, watch, table});
    parser.process(app);

    const QString where = parser.value(server);
    const qsizetype colon = where.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint port = where.mid(colon + 1).toUInt(&ok);
    if (colon <= 0 || !ok || port == 0 || port > 65535) {
        return Fail("--server wants HOST:PORT");
    }
    const QString host = where.left(colon);
    const std::string me = parser.value(name).toStdString();
    if (me.empty()) {
        return Fail("--name wants your name");
    }
    const QString exe = parser.isSet(table)
                            ? parser.value(table)
                            : QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("../redten/table/redten-table"));
    if (!QFileInfo(exe).isExecutable()) {
        return Fail("no table client at " + exe.toStdString());
    }

    QTcpSocket socket;
    socket.connectToHost(host, static_cast<quint16>(port));
    if (!socket.waitForConnected(kWaitMs)) {
        return Fail("cannot reach the room at " + where.toStdString() + ": " +
                    socket.errorString().toStdString());
    }
    const std::string request = parser.isSet(watch)
                                    ? "WATCH " + me + " " + parser.value(watch).toStdString()
                                    : "SIT " + me;
    socket.write(QByteArray::fromStdString(request + "\n"));
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < 1024 && socket.waitForReadyRead(kWaitMs)) {
        reply += socket.readAll();
    }
    reply = reply.left(reply.indexOf('\n')).trimmed();
    if (reply != "OK") {
        const std::string why = reply.startsWith("ERR ") ? reply.mid(4).toStdString()
                                                         : std::string("房间没有回答。");
        return Fail(why);
    }
    socket.close();

    // The table connects from this machine within moments, claiming the
    // reservation; it lives as long as its link to the room.
    const std::vector<std::string> words = {
        exe.toStdString(), redten::kLaunchToken, host.toStdString(), std::to_string(port),
        kGameTitle,        kLevels,              "-",                "-",
        me,                "1"};
    std::vector<char*> args;
    for (const std::string& w : words) {
        args.push_back(const_cast<char*>(w.c_str()));
    }
    args.push_back(nullptr);
    execv(args[0], args.data());
    return Fail("cannot start the table: " + std::string(std::strerror(errno)));
}
