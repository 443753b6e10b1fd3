#include "lobby/room_feed.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace redten::lobby {
namespace {

constexpr int kAnswerMs = 10000;
constexpr qsizetype kMaxReply = 1024;  // a lobby line's answer is one short line

}  // namespace

RoomFeed::RoomFeed(QString host, quint16 port, QObject* parent)
    : QObject(parent), host_(std::move(host)), port_(port) {}

void RoomFeed::Get(const QString& path, std::function<void(const QByteArray& body)> use,
                   std::function<void()> missing) {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host_);
    url.setPort(port_);
    url.setPath(path, QUrl::TolerantMode);
    QNetworkRequest request(url);
    request.setTransferTimeout(kAnswerMs);
    QNetworkReply* reply = network_.get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, use = std::move(use), missing = std::move(missing)] {
        reply->deleteLater();
        if (missing && reply->error() == QNetworkReply::ContentNotFoundError) {
            missing();
            return;
        }
        if (reply->error() != QNetworkReply::NoError) {
            emit Unreachable(QStringLiteral("连不上房间 %1：%2").arg(Address(), reply->errorString()));
            return;
        }
        use(reply->readAll());
    });
}

void RoomFeed::ReadTables() {
    if (tablesAsked_) {
        return;
    }
    tablesAsked_ = true;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    Get(QStringLiteral("/tables.json"), [this, clock](const QByteArray& body) {
        tablesAsked_ = false;
        if (const auto tables = lobby::ReadTables(body)) {
            emit TablesRead(*tables, static_cast<int>(clock->elapsed()));
        } else {
            emit Unreachable(QStringLiteral("房间 %1 的桌子列表读不懂。").arg(Address()));
        }
    });
    // An answer that never comes lets the next reading go ahead.
    QTimer::singleShot(kAnswerMs + 1000, this, [this] { tablesAsked_ = false; });
}

void RoomFeed::ReadStandings() {
    Get(QStringLiteral("/standings.json"), [this](const QByteArray& body) {
        if (const auto standings = lobby::ReadStandings(body)) {
            emit StandingsRead(*standings);
        }
    });
}

void RoomFeed::ReadPerson(const QString& name) {
    const QString path = QStringLiteral("/people/") + QString::fromLatin1(QUrl::toPercentEncoding(name)) +
                         QStringLiteral(".json");
    Get(
        path,
        [this](const QByteArray& body) {
            if (const auto person = lobby::ReadPerson(body)) {
                emit PersonRead(*person);
            }
        },
        [this, name] {
            // Nobody of that name has played here yet.
            PersonRecords none;
            none.person.name = name.left(kMaxName);
            emit PersonRead(none);
        });
}

void RoomFeed::Ask(const QString& line, std::function<void(QString refusal)> done) {
    auto* socket = new QTcpSocket(this);
    auto reply = std::make_shared<QByteArray>();
    auto finish = std::make_shared<std::function<void(QString)>>(std::move(done));
    const auto answer = [socket, finish](const QString& refusal) {
        if (*finish) {
            std::exchange(*finish, nullptr)(refusal);
        }
        socket->deleteLater();
    };
    connect(socket, &QTcpSocket::connected, socket, [socket, line] { socket->write(line.toUtf8() + '\n'); });
    connect(socket, &QTcpSocket::readyRead, socket, [socket, reply, answer] {
        *reply += socket->read(kMaxReply - reply->size());
        const qsizetype end = reply->indexOf('\n');
        if (end < 0 && reply->size() < kMaxReply) {
            return;
        }
        const QByteArray text = reply->left(end).trimmed();
        answer(text == "OK" ? QString()
               : text.startsWith("ERR ") ? QString::fromUtf8(text.mid(4))
                                          : QStringLiteral("房间的回答读不懂。"));
    });
    connect(socket, &QTcpSocket::errorOccurred, socket, [this, socket, answer] {
        answer(QStringLiteral("连不上房间 %1：%2").arg(Address(), socket->errorString()));
    });
    QTimer::singleShot(kAnswerMs, socket, [answer] { answer(QStringLiteral("房间没有回答。")); });
    socket->connectToHost(host_, port_);
}

}  // namespace redten::lobby
