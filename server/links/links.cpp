#include "server/links/links.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QCryptographicHash>

#include <algorithm>

#include "wire/keep_alive.h"

namespace redten::room {
namespace {

constexpr int kMaxLobbyLine = 512;
// Tables send small messages; a frame this big is no table's.
constexpr std::uint32_t kMaxTableFrame = 64 * 1024;

// The HTTP answer to an upgrade that cannot be had; the link ends after it.
QByteArray Refusal(int status, const char* reason, const QByteArray& text) {
    return "HTTP/1.1 " + QByteArray::number(status) + " " + reason +
           "\r\nContent-Type: text/plain; charset=utf-8\r\nConnection: close\r\nContent-Length: " +
           QByteArray::number(text.size()) + "\r\n\r\n" + text;
}

bool AsksForBrowserTable(const QByteArray& line) {
    const QByteArray start = QByteArray("GET ") + kBrowserTablePath;
    return line.startsWith(start) && line.size() > start.size() &&
           (line[start.size()] == ' ' || line[start.size()] == '?');
}

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

bool Links::IsBrowser(LinkId id) const {
    const Link* link = Find(id);
    return link != nullptr && link->kind == Link::Kind::Browser;
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
    switch (link.kind) {
    case Link::Kind::Lobby:
        ReadLobbyLine(id, link, data, size);
        return;
    case Link::Kind::Upgrading:
        ReadUpgrade(id, link, data, size);
        return;
    case Link::Kind::Browser:
        ReadBrowser(id, link, data, size);
        return;
    default:
        break;
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
    const std::size_t taken = std::min(size, room);
    link.line.append(data, static_cast<qsizetype>(taken));
    const qsizetype newline = link.line.indexOf('\n');
    if (newline >= 0 && AsksForBrowserTable(link.line.left(newline))) {
        // A browser's table: the headers decide, so they are read too.
        link.kind = Link::Kind::Upgrading;
        ReadUpgrade(id, link, data + taken, size - taken);
    } else if (newline >= 0) {
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

void Links::ReadUpgrade(LinkId id, Link& link, const char* data, std::size_t size) {
    const auto room = static_cast<std::size_t>(kMaxUpgradeRequest + 1 - std::min<std::size_t>(link.line.size(), kMaxUpgradeRequest));
    link.line.append(data, static_cast<qsizetype>(std::min(size, room)));
    const qsizetype end = link.line.indexOf("\r\n\r\n");
    if (end < 0) {
        if (static_cast<std::size_t>(link.line.size()) > kMaxUpgradeRequest) {
            Answer(id, Refusal(431, "Request Header Fields Too Large", "请求太长了。"));
        }
        return;
    }
    // Whatever follows the request came before our answer, which a browser
    // never sends: it is not read.
    const std::string request = link.line.left(end + 4).toStdString();
    link.line.clear();
    std::string why;
    const std::optional<UpgradeRequest> upgrade = ParseUpgradeRequest(request, why);
    if (!upgrade) {
        log_(Note::Info, "link " + std::to_string(id) + ": a bad WebSocket request (" + why + ")");
        Answer(id, Refusal(400, "Bad Request", "这不是一个有效的 WebSocket 请求。"));
        return;
    }
    if (!OriginMatchesHost(upgrade->origin, upgrade->host)) {
        log_(Note::Info, "link " + std::to_string(id) + ": a page of " + upgrade->origin + " may not open a table on " + upgrade->host);
        Answer(id, Refusal(403, "Forbidden", "只有本房间的网页才能在这里坐下。"));
        return;
    }
    const QByteArray accept =
        QCryptographicHash::hash(QByteArray::fromStdString(upgrade->key) + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11",
                                 QCryptographicHash::Sha1)
            .toBase64();
    const QByteArray answer = "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                              "Sec-WebSocket-Accept: " + accept + "\r\n\r\n";
    link.kind = Link::Kind::Browser;
    link.browser = std::make_unique<WebSocketDecoder>(kMaxTableFrame + 4);
    link.socket->Write(answer.constData(), static_cast<std::size_t>(answer.size()));
    if (link.greetTimer != nullptr) {
        link.greetTimer->start(options_.greetingSeconds * 1000);  // for its request and greeting
    }
}

void Links::ReadBrowser(LinkId id, Link& link, const char* data, std::size_t size) {
    link.pinged = false;
    const bool unbroken = link.browser->feed(reinterpret_cast<const std::uint8_t*>(data), size);
    // What came whole before a fault is still the browser's.
    while (IsOpen(id) && link.browser->hasMessage()) {
        BrowserMessage(id, link, link.browser->takeMessage());
    }
    if (!unbroken) {
        CloseBrowser(id, link.browser->failCode(), link.browser->failReason());
    }
}

void Links::BrowserMessage(LinkId id, Link& link, WebSocketMessage message) {
    switch (message.op) {
    case WebSocketOp::Binary: {
        // One frame of the table's framing, whole, per message.
        Bytes& p = message.payload;
        const std::size_t length =
            p.size() < 4 ? 0 : (std::size_t{p[0]} << 24) | (std::size_t{p[1]} << 16) | (std::size_t{p[2]} << 8) | p[3];
        if (p.size() < 4 || length != p.size() - 4) {
            CloseBrowser(id, kCloseProtocolError, "one whole frame per message");
        } else if (length > 0) {
            p.erase(p.begin(), p.begin() + 4);
            events_.TableMessage(id, p);
        }
        return;
    }
    case WebSocketOp::Text:
        if (link.greeted || link.browserAsking) {
            CloseBrowser(id, kCloseUnsupportedData, "a table speaks in binary messages");
        } else if (message.payload.size() > static_cast<std::size_t>(kMaxLobbyLine)) {
            CloseBrowser(id, kCloseTooBig, "request too long");
        } else {
            link.browserAsking = true;
            events_.BrowserLine(id, QByteArray(reinterpret_cast<const char*>(message.payload.data()),
                                               static_cast<qsizetype>(message.payload.size())));
        }
        return;
    case WebSocketOp::Ping: {
        const Bytes pong = EncodeWebSocketFrame(WebSocketOp::Pong, message.payload.data(), message.payload.size());
        Write(link, pong);
        return;
    }
    case WebSocketOp::Close:
        CloseBrowser(id, kCloseNormal, "closed the link");
        return;
    default:
        return;  // a pong only says the browser is there
    }
}

void Links::CloseBrowser(LinkId id, std::uint16_t code, const char* why) {
    Link* link = Find(id);
    if (link == nullptr || link->closing || !link->socket) {
        return;
    }
    Write(*link, EncodeWebSocketClose(code, why));
    link->closeSent = true;
    if (code != kCloseNormal) {
        log_(Note::Debug, "link " + std::to_string(id) + " " + why);
    }
    Close(id);
    // The browser left, or broke the protocol: to the room it is gone now,
    // like a table whose link ended, though the socket lingers to say why.
    link->goneReported = true;
    QTimer::singleShot(0, this, [this, id] { events_.LinkGone(id, /*dropped=*/true); });
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
    Write(*link, link->kind == Link::Kind::Browser ? EncodeWebSocketTableFrame(message) : EncodeFrame(message));
}

void Links::Answer(LinkId id, const QByteArray& text) {
    Link* link = Find(id);
    if (link == nullptr || link->closing || !link->socket) {
        return;  // the lobby or browser did not wait for the answer
    }
    if (link->kind == Link::Kind::Browser) {
        link->browserAsking = false;
        Write(*link, EncodeWebSocketFrame(WebSocketOp::Text, reinterpret_cast<const std::uint8_t*>(text.constData()),
                                          static_cast<std::size_t>(text.size())));
        if (link->greetTimer != nullptr) {
            link->greetTimer->start(options_.greetingSeconds * 1000);  // for its greeting
        }
        return;
    }
    link->socket->Write(text.constData(), static_cast<std::size_t>(text.size()));
    Close(id);
}

void Links::Write(Link& link, const Bytes& bytes) {
    link.socket->Write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// --- closing ------------------------------------------------------------------------

void Links::Close(LinkId id) {
    Link* link = Find(id);
    if (link == nullptr || link->closing) {
        return;
    }
    if (link->kind == Link::Kind::Browser && link->socket && !link->closeSent) {
        Write(*link, EncodeWebSocketClose(kCloseNormal, ""));
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
    if (link->kind == Link::Kind::Table || link->kind == Link::Kind::Browser) {
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
    const bool reported = link->goneReported;
    QTimer::singleShot(0, this, [this, id, reported] {
        if (links_.erase(id) > 0 && !reported) {
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
    const bool reported = it->second.goneReported;
    links_.erase(it);
    if (!reported) {
        events_.LinkGone(id, /*dropped=*/false);
    }
}

void Links::DropSilentLinks() {
    const qint64 before = clock_.elapsed() - options_.idleDropMs;
    std::vector<LinkId> silent;
    for (auto& [id, link] : links_) {
        if (link.greeted && !link.closing && link.heardAt < before) {
            silent.push_back(id);
        } else if (link.kind == Link::Kind::Browser && link.greeted && !link.closing && !link.pinged &&
                   link.heardAt < before + options_.idleDropMs / 2) {
            // A browser throttles the timers of a page out of sight, but
            // answers a ping itself.
            link.pinged = true;
            const Bytes ping = EncodeWebSocketFrame(WebSocketOp::Ping, nullptr, 0);
            Write(link, ping);
        }
    }
    for (const LinkId id : silent) {
        log_(Note::Info, "link " + std::to_string(id) + " was silent for " +
                        std::to_string(options_.idleDropMs / 1000) + " s");
        Drop(id, "was silent too long");
    }
}

}  // namespace redten::room
