#include "server/links/links.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>

#include "wire/keep_alive.h"

namespace redten::room {
namespace {

constexpr int kMaxLobbyLine = 512;
// Tables send small messages; a frame this big is no table's.
constexpr std::uint32_t kMaxTableFrame = 64 * 1024;

}  // namespace

Links::Links(LinkOptions options, LinkEvents& events, Logger log)
    : options_(options), events_(events), log_(std::move(log)) {
    clock_.start();
    server_.onAccepted = [this](int descriptor) { Accept(descriptor); };
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
            link.socket->onData = nullptr;
            link.socket->onClosed = nullptr;
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

QHostAddress Links::LocalAddress(LinkId id) const {
    const Link* link = Find(id);
    return link != nullptr && link->socket ? link->socket->LocalAddress() : QHostAddress();
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

void Links::Refuse(int descriptor) {
    if (refused_++ % 100 == 0) {  // a flood is told once in a while
        log_(Note::Warning, "the room is full (" + std::to_string(links_.size()) + " links); refusing new ones");
    }
    // A lobby reads the line; a table reads nonsense and ends its link,
    // which is what it should do.
    auto* socket = new LinkSocket(descriptor, this);
    const QByteArray full = "ERR 房间已满，请稍后再来。\n";
    socket->Write(full.constData(), static_cast<std::size_t>(full.size()));
    socket->Shutdown();
    socket->onClosed = [socket] { socket->deleteLater(); };
    QTimer::singleShot(options_.closeGraceMs, socket, [socket] { socket->Abort(); });
}

void Links::Accept(int descriptor) {
    if (links_.size() >= static_cast<std::size_t>(options_.maxLinks)) {
        Refuse(descriptor);
        return;
    }
    const LinkId id = next_++;
    Link& link = links_.emplace(id, Link{kMaxTableFrame}).first->second;
    auto* socket = new LinkSocket(descriptor, this);
    link.socket = socket;
    // Tables exchange small messages that must not wait for the peer's
    // delayed acknowledgement; a peer that vanishes without a word is found
    // by the probes.
    const int on = 1;
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ProbeQuietLink(descriptor);
    link.heardAt = clock_.elapsed();
    socket->onData = [this, id](const char* data, std::size_t size) { OnData(id, data, size); };
    socket->onClosed = [this, id] { OnDisconnected(id); };
    link.greetTimer = new QTimer(socket);
    link.greetTimer->setSingleShot(true);
    connect(link.greetTimer, &QTimer::timeout, this, [this, id] {
        const Link* found = Find(id);
        if (found != nullptr && !found->greeted) {
            Drop(id, "said nothing in time");
        }
    });
    link.greetTimer->start(options_.greetingSeconds * 1000);
    events_.LinkOpened(id, socket->PeerAddress());
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

void Links::OnData(LinkId id, const char* data, std::size_t size) {
    Link* found = Find(id);
    if (found == nullptr || size == 0) {
        return;
    }
    Link& link = *found;
    link.heardAt = clock_.elapsed();
    if (link.closing) {
        return;  // nothing more is read from a link being closed
    }
    if (link.kind == Link::Kind::Unknown) {
        link.kind = data[0] == 0 ? Link::Kind::Table : Link::Kind::Lobby;
    }
    if (link.kind == Link::Kind::Lobby) {
        ReadLobbyLine(id, link, data, size);
        return;
    }
    if (!link.decoder.feed(reinterpret_cast<const std::uint8_t*>(data), size)) {
        Drop(id, "broke the framing");
        return;
    }
    // The room may close or drop the link from any message.
    while (IsOpen(id) && link.decoder.hasMessage()) {
        events_.TableMessage(id, link.decoder.takeMessage());
    }
}

void Links::ReadLobbyLine(LinkId id, Link& link, const char* data, std::size_t size) {
    if (link.lineDone) {
        return;  // one line is all a lobby says
    }
    const auto room = static_cast<std::size_t>(kMaxLobbyLine + 1 - link.line.size());
    link.line.append(data, static_cast<qsizetype>(std::min(size, room)));
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

void Links::Send(LinkId id, const Bytes& message) {
    Link* link = Find(id);
    if (link == nullptr || link->closing || !link->socket) {
        return;
    }
    if (link->socket->Unsent() > static_cast<std::size_t>(options_.maxPendingOutput)) {
        Drop(id, "does not read what it is sent");
        return;
    }
    const Bytes frame = EncodeFrame(message);
    link->socket->Write(reinterpret_cast<const char*>(frame.data()), frame.size());
}

void Links::Answer(LinkId id, const QByteArray& text) {
    Link* link = Find(id);
    if (link == nullptr || link->closing || !link->socket) {
        return;  // the lobby or browser did not wait for the answer
    }
    link->socket->Write(text.constData(), static_cast<std::size_t>(text.size()));
    Close(id);
}

// --- closing ------------------------------------------------------------------------

void Links::Close(LinkId id) {
    Link* link = Find(id);
    if (link == nullptr || link->closing) {
        return;
    }
    link->closing = true;
    LinkSocket* socket = link->socket;
    if (!socket) {
        return;
    }
    // A peer that will not take what is left, or never hangs up, gets cut off.
    QTimer::singleShot(options_.closeGraceMs, socket, [socket] { socket->Abort(); });
    // Only our side of the link ends, once everything sent has left; the
    // link goes when the peer hangs up in turn. Closing it outright would
    // reset it if the peer's last words were still unread here, and a reset
    // loses what we sent last: the reason we are closing.
    socket->Shutdown();
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
        link->socket->onData = nullptr;
        link->socket->onClosed = nullptr;
        link->socket->Abort();
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
    Forget(id);
}

void Links::Forget(LinkId id) {
    const auto it = links_.find(id);
    if (it == links_.end()) {
        return;
    }
    if (it->second.socket) {
        it->second.socket->onData = nullptr;
        it->second.socket->onClosed = nullptr;
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
