#include "faults/fault_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <csignal>

#include "rules/game_state.h"
#include "state/launch_context.h"
#include "support/room_server.h"
#include "wire/messages.h"

namespace redten::faults {

using test::WaitUntil;

// --- the room in this process -------------------------------------------------------

room::RoomOptions LocalRoom::QuickOptions(int bots) {
    room::RoomOptions options;
    options.botsPerTable = bots;
    options.logLevel = room::LogLevel::Error;
    options.seed = 1234;
    options.table.botPauseMs = 0;
    options.table.botQuietMs = 0;
    return options;
}

LocalRoom::LocalRoom(const room::RoomOptions& options, bool recordsOnDisk) {
    QString error;
    if (!store_.Open(recordsOnDisk ? dir_.filePath("room.db") : QStringLiteral(":memory:"), error)) {
        qFatal("cannot open the records: %s", qPrintable(error));
    }
    room_ = std::make_unique<room::RoomServer>(options, store_);
    if (!room_->Listen(QHostAddress::LocalHost, 0, error)) {
        qFatal("cannot listen: %s", qPrintable(error));
    }
}

// --- real processes ----------------------------------------------------------------------

TableProcess::TableProcess(quint16 port, const QString& name, const QByteArray& userSet) {
    // The program and its settings file in a directory of their own; the
    // resources are the staged tree's, linked.
    const QFileInfo exe(REDTEN_TABLE_EXE);
    const QDir staged = exe.absoluteDir();
    QDir here(dir_.path());
    here.mkdir("table");
    const QString program = here.filePath("table/" + exe.fileName());
    QFile::copy(exe.absoluteFilePath(), program);
    for (const QString& entry : staged.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile::link(staged.filePath(entry), here.filePath("table/" + entry));
    }
    QDir parent = staged;
    parent.cdUp();
    for (const QString& entry : parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry != staged.dirName()) {
            QFile::link(parent.filePath(entry), here.filePath(entry));
        }
    }

    if (!userSet.isEmpty()) {
        QFile file(UserSetPath());
        if (file.open(QIODevice::WriteOnly)) {
            file.write(userSet);
        }
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("REDTEN_ADV_URL", "none");
    process_.setProcessEnvironment(env);
    process_.start(program, {kLaunchToken, "127.0.0.1", QString::number(port), "红十",
                             "新手_0`高手_1000", "r1", "r2", name, "1"});
}

TableProcess::~TableProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString TableProcess::UserSetPath() const { return QDir(dir_.path()).filePath("table/UserSet.ini"); }

void TableProcess::Kill() {
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(5000);
}

bool TableProcess::Finished(int timeoutMs) {
    return WaitUntil([this] { return process_.state() == QProcess::NotRunning; }, timeoutMs);
}

// --- the relay --------------------------------------------------------------------------------

ByteRelay::ByteRelay(quint16 target) : target_(target) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] { Accept(); });
    tick_.setInterval(0);
    QObject::connect(&tick_, &QTimer::timeout, [this] { Step(); });
    tick_.start();
}

ByteRelay::~ByteRelay() { CloseAll(); }

void ByteRelay::Accept() {
    while (QTcpSocket* near = server_.nextPendingConnection()) {
        auto pipe = std::make_unique<Pipe>();
        Pipe* p = pipe.get();
        p->near = near;
        p->far = new QTcpSocket(near);
        for (QTcpSocket* s : {p->near, p->far}) {
            // Every byte its own segment: no coalescing on the way.
            s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        }
        QObject::connect(near, &QTcpSocket::readyRead, [p] { p->toFar += p->near->readAll(); });
        QObject::connect(p->far, &QTcpSocket::readyRead, [p] { p->toNear += p->far->readAll(); });
        QObject::connect(near, &QTcpSocket::disconnected, [p] { p->nearGone = true; });
        QObject::connect(p->far, &QTcpSocket::disconnected, [p] { p->farGone = true; });
        p->far->connectToHost(QHostAddress::LocalHost, target_);
        pipes_.push_back(std::move(pipe));
    }
}

void ByteRelay::Step() {
    for (const auto& p : pipes_) {
        if (!p->near) {
            continue;
        }
        const auto pass = [this](QByteArray& queue, QTcpSocket* to) {
            if (!queue.isEmpty() && to->state() == QAbstractSocket::ConnectedState) {
                to->write(queue.left(1));
                to->flush();
                queue.remove(0, 1);
                ++forwarded_;
            }
        };
        pass(p->toFar, p->far);
        pass(p->toNear, p->near);
        // An end travels once everything before it has.
        if (p->nearGone && p->toFar.isEmpty()) {
            p->far->disconnectFromHost();
        }
        if (p->farGone && p->toNear.isEmpty()) {
            p->near->disconnectFromHost();
        }
    }
}

void ByteRelay::CloseAll() {
    for (const auto& p : pipes_) {
        if (p->near) {
            p->near->disconnect();
            p->far->disconnect();
            p->far->abort();
            p->near->abort();
            p->near->deleteLater();
            p->near = p->far = nullptr;
        }
    }
}

// --- raw links ------------------------------------------------------------------------------

namespace {

std::unique_ptr<QTcpSocket> ConnectFrom(quint16 port, const QHostAddress& from) {
    auto socket = std::make_unique<QTcpSocket>();
    if (!socket->bind(from, 0)) {
        return nullptr;
    }
    socket->connectToHost(QHostAddress::LocalHost, port);
    if (!WaitUntil([&] { return socket->state() == QAbstractSocket::ConnectedState; })) {
        return nullptr;
    }
    return socket;
}

}  // namespace

std::string LobbyLine(quint16 port, const std::string& line, const QHostAddress& from) {
    auto lobby = ConnectFrom(port, from);
    if (!lobby) {
        return "no connection";
    }
    lobby->write(QByteArray::fromStdString(line + "\n"));
    QByteArray reply;
    WaitUntil([&] {
        reply += lobby->readAll();
        return reply.contains('\n') || lobby->state() == QAbstractSocket::UnconnectedState;
    });
    return (reply + lobby->readAll()).trimmed().toStdString();
}

std::unique_ptr<QTcpSocket> TableLink(quint16 port, const QHostAddress& from) {
    return ConnectFrom(port, from);
}

bool LinkEnded(QTcpSocket& socket, int timeoutMs) {
    return WaitUntil(
        [&] {
            if (socket.state() == QAbstractSocket::UnconnectedState) {
                return true;
            }
            socket.readAll();
            return false;
        },
        timeoutMs);
}

bool SecondLoopbackWorks() {
    QTcpSocket probe;
    return probe.bind(QHostAddress("127.0.0.2"), 0);
}

// --- what a game's messages say ----------------------------------------------------------------

void TrickTracker::Feed(const Bytes& m) {
    if (const auto over = wire::ShowingOver::Decode(m)) {
        onTable_ = {};
        toAct_ = over->leader;
        phase_ = over->phase;
    } else if (const auto play = wire::Play::Decode(m); play && !play->cards.empty()) {
        toAct_ = play->nextSeat & 3;
        phase_ = play->nextPhase;
        if (phase_ == kPhaseLead) {
            onTable_ = {};
        } else {
            onTable_[play->seat] = play->cards;
            onTable_[toAct_].clear();
        }
    }
}

std::int32_t ScoreOf(const Bytes& gameOver, int seat) {
    const auto over = wire::GameOver::Decode(gameOver);
    return over && !over->brief && over->scored ? over->scores[static_cast<std::size_t>(seat & 3)] : 0;
}
}  // namespace redten::faults
