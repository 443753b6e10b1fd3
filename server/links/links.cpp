#include "server/links/links.h"

#include <sys/socket.h>

#include <algorithm>

#include "wire/keep_alive.h"

namespace redten::room {
namespace {

constexpr int kMaxLobbyLine = 512;
// Tables send small messages; a frame this big is no table's.
constexpr std::uint32_t kMaxTableFrame = 64 * 1024;
constexpr qint64 kMaxReadChunk = 64 * 1024;

}  // namespace

Links::Links(LinkOptions options, LinkEvents& events, Logger log)
    : options_(options), events_(events), log_(std::move(log)) {
    clock_.start();
    connect(&server_, &QTcpServer::newConnection, this, &Links::OnNewConnection);
    connect(&server_, &QTcpServer::acceptError, this, &Links::OnAcceptError);
    acceptPause_.setSingleShot(true);
    connect(&acceptPause_, &QTimer::timeout, this, [this] { server_.resumeAccepting(); });
    if (options_.idleDropMs > 0) {
        // One look at every link now and then costs less than a timer per
        // link restarted on every message.
        connect(&idleSweep_, &QTimer::timeout, this, &Links::DropSilentLinks);
        idleSweep_.start(std::max(options_.idleDropMs / 4, 250));
    }
}

Links::~Links() {
    for (auto& [id, link] : links_) {
        if (link.socket) {
            link.socket->disconnect(this);
        }
    }
}

bool Links::Listen(const QHostAddress& address, quint16 port, QString& error) {
    if (!server_.listen(address, port)) {
        error = server_.errorString();
        return false;
    }
    return true;
}

Links::Link* Links::Find(LinkId id) {
    const auto it = links_.find(id);
    return it == links_.end() ? nullptr : &it->second;
}

const Links::Link* Links::Find(LinkId id) const {
    const auto it = links_.find(id);
    return it == links_.end() ? nullptr : &it->second;
}

bool Links::IsOpen(LinkId id) const {
    const Link* link = Find(id);
    return link != nullptr && !link->closing && link->socket;
}

bool Links::IsTable(LinkId id) const {
    const Link* link = Find(id);
    return link != nullptr && link->kind == Link::Kind::Table;
}

QHostAddress Links::LocalAddress(LinkId id) const {
    const Link* link = Find(id);
    return link != nullptr && link->socket ? link->socket->localAddress() : QHostAddress();
}

// --- accepting ----------------------------------------------------------------------

void Links::OnAcceptError(QAbstractSocket::SocketError error) {
    // Out of descriptors (or kernel memory): trying again at once would only
    // spin. Those waiting stay in the listen queue meanwhile.
    server_.pauseAccepting();
    log_(Note::Warning, "cannot accept a link (" + server_.errorString().toStdString() + ", " +
                   std::to_string(static_cast<int>(error)) + "); accepting again in " +
                   std::to_string(options_.acceptPauseMs) + " ms");
    acceptPause_.start(options_.acceptPauseMs);
}

void Links::Refuse(QTcpSocket* socket) {
    if (refused_++ % 100 == 0) {  // a flood is told once in a while
        log_(Note::Warning, "the room is full (" + std::to_string(links_.size()) + " links); refusing new ones");
    }
    socket->setParent(this);
    // A lobby reads the line; a table reads nonsense and ends its link,
    // which is what it should do.
    socket->write("ERR 房间已满，请稍后再来。\n");
    socket->disconnectFromHost();
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(options_.closeGraceMs, socket, [socket] { socket->abort(); });
}

void Links::OnNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (links_.size() >= static_cast<std::size_t>(options_.maxLinks)) {
            Refuse(socket);
            continue;
        }
        const LinkId id = next_++;
        Link& link = links_.emplace(id, Link{kMaxTableFrame}).first->second;
        link.socket = socket;
        socket->setParent(this);
        // Tables exchange small messages that must not wait for the
        // peer's delayed acknowledgement; a peer that vanishes without a
        // word is found by the probes.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        ProbeQuietLink(socket->socketDescriptor());
        link.heardAt = clock_.elapsed();
        // Whatever a peer pours in waits in the kernel, not here: we take
        // it a bounded piece at a time.
        socket->setReadBufferSize(kMaxReadChunk);
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { OnReadyRead(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { OnDisconnected(id); });
        link.greetTimer = new QTimer(socket);
        link.greetTimer->setSingleShot(true);
        connect(link.greetTimer, &QTimer::timeout, this, [this, id] {
            const Link* found = Find(id);
            if (found != nullptr && !found->greeted) {
                Drop(id, "said nothing in time");
            }
        });
        link.greetTimer->start(options_.greetingSeconds * 1000);
        events_.LinkOpened(id, socket->peerAddress());
    }
}

void Links::Greeted(LinkId id) {
    Link* link = Find(id);
    if (link == nullptr || link->greeted) {
        return;
    }
    link->greeted = true;
    delete std::exchange(link->greetTimer, nullptr);
}

// --- reading ------------------------------------------------------------------------

void Links::OnReadyRead(LinkId id) {
    Link* found = Find(id);
    if (found == nullptr || !found->socket) {
        return;
    }
    Link& link = *found;
    QTcpSocket* socket = link.socket;
    link.heardAt = clock_.elapsed();
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
        ReadLobbyLine(id, link);
        return;
    }
    // Taken whole, so the socket's buffer goes with it and an idle link
    // keeps none.
    const QByteArray data = socket->readAll();
    if (!link.decoder.feed(reinterpret_cast<const std::uint8_t*>(data.constData()),
                           static_cast<std::size_t>(data.size()))) {
        Drop(id, "broke the framing");
        return;
    }
    // The room may close or drop the link from any message.
    while (IsOpen(id) && link.decoder.hasMessage()) {
        events_.TableMessage(id, link.decoder.takeMessage());
    }
}

void Links::ReadLobbyLine(LinkId id, Link& link) {
    QTcpSocket* socket = link.socket;
    if (link.lineDone) {
        socket->readAll();  // one line is all a lobby says
        return;
    }
    link.line += socket->read(kMaxLobbyLine + 1 - link.line.size());
    socket->readAll();
    const qsizetype newline = link.line.indexOf('\n');
    if (newline >= 0) {
        link.lineDone = true;
        events_.LobbyLine(id, link.line.left(newline));
    } else if (link.line.size() > kMaxLobbyLine) {
        link.lineDone = true;
        if (link.line.startsWith("GET ")) {
            events_.RequestTooLong(id);  // a browser is told in its own terms
        } else {
            events_.LobbyLine(id, QByteArray());
        }
    }
}

// --- writing ------------------------------------------------------------------------

void Links::Write(Link& link, const char* data, qint64 size) {
    qint64 sent = 0;
    if (link.socket->bytesToWrite() == 0) {
        // Straight to the kernel, which takes a table's small message whole:
        // the socket's own buffer would wait a turn of the loop for the link
        // to be writable, and keep a block of memory for every link after.
        const auto n = ::send(static_cast<int>(link.socket->socketDescriptor()), data,
                              static_cast<std::size_t>(size), MSG_DONTWAIT | MSG_NOSIGNAL);
        sent = n > 0 ? n : 0;
    }
    if (sent < size) {
        // What the kernel would not take waits in order in the socket, which
        // also finds out about a broken link.
        link.socket->write(data + sent, size - sent);
    }
}

void Links::Send(LinkId id, const Bytes& message) {
    Link* link = Find(id);
    if (link == nullptr || link->closing || !link->socket) {
        return;
    }
    if (link->socket->bytesToWrite() > options_.maxPendingOutput) {
        Drop(id, "does not read what it is sent");
        return;
    }
    const Bytes frame = EncodeFrame(message);
    Write(*link, reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
}

void Links::Answer(LinkId id, const QByteArray& text) {
    Link* link = Find(id);
    if (link == nullptr || link->closing || !link->socket) {
        return;  // the lobby or browser did not wait for the answer
    }
    Write(*link, text.constData(), text.size());
    Close(id);
}

// --- closing ------------------------------------------------------------------------

void Links::Close(LinkId id) {
    Link* link = Find(id);
    if (link == nullptr || link->closing) {
        return;
    }
    link->closing = true;
    QTcpSocket* socket = link->socket;
    if (!socket) {
        return;
    }
    // A peer that will not take what is left, or never hangs up, gets cut off.
    QTimer::singleShot(options_.closeGraceMs, socket, [socket] { socket->abort(); });
    // Only our side of the link ends, once everything sent has left; the
    // link goes when the peer hangs up in turn. Closing it outright would
    // reset it if the peer's last words were still unread here, and a reset
    // loses what we sent last: the reason we are closing.
    const auto endOurSide = [socket] {
        if (socket->bytesToWrite() == 0 && socket->state() == QAbstractSocket::ConnectedState) {
            ::shutdown(static_cast<int>(socket->socketDescriptor()), SHUT_WR);
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, endOurSide);
    socket->flush();
    endOurSide();
}

void Links::Drop(LinkId id, const char* why) {
    Link* link = Find(id);
    if (link == nullptr || link->closing) {
        return;
    }
    link->closing = true;
    if (link->kind == Link::Kind::Table) {
        log_(Note::Debug, "link " + std::to_string(id) + " " + why);
    }
    if (link->socket) {
        link->socket->disconnect(this);
        link->socket->abort();
        link->socket->deleteLater();
    }
    // The room hears of it from the event loop, never in the middle of one
    // of its own calls; the link itself, buffers and all, goes first.
    QTimer::singleShot(0, this, [this, id] {
        if (links_.erase(id) > 0) {
            events_.LinkGone(id, /*dropped=*/true);
        }
    });
}

void Links::OnDisconnected(LinkId id) {
    const Link* link = Find(id);
    if (link == nullptr) {
        return;
    }
    if (!link->closing) {
        Drop(id, "closed the link");
        return;
    }
    // A link we were closing ourselves has gone: nothing is left to tell.
    // It is forgotten from the event loop: disconnectFromHost may report the
    // end at once, while a caller still holds the link.
    QTimer::singleShot(0, this, [this, id] { Forget(id); });
}

void Links::Forget(LinkId id) {
    const auto it = links_.find(id);
    if (it == links_.end()) {
        return;
    }
    if (it->second.socket) {
        it->second.socket->disconnect(this);
        it->second.socket->deleteLater();
    }
    links_.erase(it);
    events_.LinkGone(id, /*dropped=*/false);
}

void Links::DropSilentLinks() {
    const qint64 before = clock_.elapsed() - options_.idleDropMs;
    std::vector<LinkId> silent;
    for (const auto& [id, link] : links_) {
        if (link.greeted && !link.closing && link.heardAt < before) {
            silent.push_back(id);
        }
    }
    for (const LinkId id : silent) {
        log_(Note::Info, "link " + std::to_string(id) + " was silent for " +
                        std::to_string(options_.idleDropMs / 1000) + " s");
        Drop(id, "was silent too long");
    }
}

}  // namespace redten::room
