// redten-play: stands in for the lobby. Reserves a seat (or a watch) in a
// room, starts the table client with the nine launch words and, when the
// table closes by itself, says why.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>

#include <iostream>
#include <string>

#include "startup/launch_context.h"

namespace {

constexpr char kGameTitle[] = "红十";
constexpr char kLevels[] = "新手_0`入门_200`熟手_500`高手_1000`大师_2000`宗师_5000";
constexpr int kWaitMs = 10000;
// The table closed because its start count-down ran out: a person may want
// to sit down again.
constexpr int kCountdownStatus = 3;

int Fail(const std::string& text) {
    std::cerr << "redten-play: " << text << std::endl;
    return 2;
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
        return Fail("cannot start the table: " + table.errorString().toStdString());
    }
    table.waitForFinished(-1);
    std::string cause;
    for (const QByteArray& line : table.readAllStandardOutput().split('\n')) {
        const qsizetype blank = line.indexOf(' ');
        const QByteArray word = line.left(blank);
        if (blank > 0 && (word == "countdown" || word == "runaway" || word == "sentaway" ||
                          word == "link")) {
            cause = word.toStdString();
            std::cout << "redten-play: 桌子关闭了：" << line.mid(blank + 1).toStdString() << std::endl;
        } else if (!line.isEmpty()) {
            std::cout << line.toStdString() << std::endl;
        }
    }
    if (table.exitStatus() != QProcess::NormalExit) {
        return Fail("the table ended abnormally");
    }
    return cause == "countdown" ? kCountdownStatus : table.exitCode();
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
    const QStringList words = {QString::fromLatin1(redten::kLaunchToken),
                               host,
                               QString::number(port),
                               QString::fromUtf8(kGameTitle),
                               QString::fromUtf8(kLevels),
                               QStringLiteral("-"),
                               QStringLiteral("-"),
                               QString::fromStdString(me),
                               QStringLiteral("1")};
    return RunTable(exe, words);
}
