#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "server/links/link_socket.h"
#include "wire/bytes.h"
#include "wire/framing.h"
#include "wire/websocket.h"

namespace redten::room {

// The path a browser's table asks to upgrade to WebSocket.
inline constexpr const char* kBrowserTablePath = "/table";

// A connection to the room. A person at a table is known by the number of
// the link they came on.
using LinkId = std::int64_t;

struct LinkOptions {
    // Links held at once; one more is told the room is full and closed, so
    // the room never runs out of descriptors for the ones it has.
    int maxLinks = 4000;
    int acceptPauseMs = 500;      // when the system refuses a new descriptor
    int greetingSeconds = 10;     // for a new link's first words
    int idleDropMs = 60000;       // a greeted table silent this long has gone (0: never)
    int closeGraceMs = 5000;      // for a link we close to finish
    std::int64_t maxPendingOutput = 1 << 20;  // bytes a peer may leave unread
};

// What the links tell the room. Nothing is called from inside a call the
// room made to the links, except LinkGone for a link the room closed.
class LinkEvents {
public:
    virtual ~LinkEvents() = default;
    virtual void LinkOpened(LinkId id, const QHostAddress& from) = 0;
    // One framed message of a table.
    virtual void TableMessage(LinkId id, const Bytes& message) = 0;
    // A lobby's or a browser's one line, without its end; empty when it
    // ran past the bound (a browser's address line too long is answered
    // by RequestTooLong instead).
    virtual void LobbyLine(LinkId id, const QByteArray& line) = 0;
    virtual void RequestTooLong(LinkId id) = 0;
    // A browser's table asks for its seat on its own link, before it
    // greets, in a lobby's words. The answer goes back on the same link
    // (Answer), which stays open for the table's frames.
    virtual void BrowserLine(LinkId id, const QByteArray& line) = 0;
    // The link is gone. dropped: the peer left, broke the framing, said
    // nothing in time or would not read; otherwise the room closed it and
    // the peer has hung up in turn.
    virtual void LinkGone(LinkId id, bool dropped) = 0;
};

// The room's connections: accepting them within the cap, telling a table's
// frames from a lobby's line and a browser's table (WebSocket on the path
// kBrowserTablePath), bounding what each may send and leave unread, and
// closing them without losing the last words.
class Links final : public QObject {
public:
    enum class Note { Warning, Info, Debug };
    using Logger = std::function<void(Note note, const std::string& line)>;
    Links(LinkOptions options, LinkEvents& events, Logger log);
    ~Links() override;

    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    void StopListening() { server_.close(); }
    quint16 Port() const { return server_.serverPort(); }
    std::size_t Count() const { return links_.size(); }
    int Refused() const { return refused_; }

    // The link is there and not being closed.
    bool IsOpen(LinkId id) const;
    // The address the peer reached us on.
    QHostAddress LocalAddress(LinkId id) const;
    // A browser's table on WebSocket: its seat is its own link's.
    bool IsBrowser(LinkId id) const;
    // A table greeted the room: its greeting clock stops and the idle rule
    // applies from now on.
    void Greeted(LinkId id);

    // A table's message, framed.
    void Send(LinkId id, const Bytes& message);
    // A lobby's answer or a page, after which the link is closed; to a
    // browser's table, a text message on its link, which stays open.
    void Answer(LinkId id, const QByteArray& text);
    // Ends the link once what was sent has gone out; nothing more is read.
    void Close(LinkId id);
    // Ends the link at once; LinkGone follows from the event loop.
    void Drop(LinkId id, const char* why);

private:
    struct Link {
        explicit Link(std::uint32_t maxFrame) : decoder(maxFrame) {}
        QPointer<LinkSocket> socket;
        enum class Kind { Unknown, Lobby, Upgrading, Table, Browser } kind = Kind::Unknown;
        FrameDecoder decoder;
        QByteArray line;
        std::unique_ptr<WebSocketDecoder> browser;
        bool browserAsking = false;  // a lobby line is being answered
        bool pinged = false;         // a quiet browser was asked whether it is there
        bool goneReported = false;   // the room was told the link is gone
        bool closeSent = false;      // a browser was sent its close frame
        bool lineDone = false;  // a lobby's one line came; it is being answered
        bool greeted = false;
        bool closing = false;
        QTimer* greetTimer = nullptr;
        qint64 heardAt = 0;  // on clock_, when the peer last sent anything
    };

    void Accept(int descriptor);
    void OnAcceptError(QAbstractSocket::SocketError error);
    void Refuse(int descriptor);
    void OnData(LinkId id, const char* data, std::size_t size);
    void ReadLobbyLine(LinkId id, Link& link, const char* data, std::size_t size);
    void ReadUpgrade(LinkId id, Link& link, const char* data, std::size_t size);
    void ReadBrowser(LinkId id, Link& link, const char* data, std::size_t size);
    void BrowserMessage(LinkId id, Link& link, WebSocketMessage message);
    // Ends a browser's link with a close frame, as a drop when the browser
    // broke the protocol.
    void CloseBrowser(LinkId id, std::uint16_t code, const char* why);
    void OnDisconnected(LinkId id);
    void Forget(LinkId id);
    void Write(Link& link, const Bytes& bytes);
    void DropSilentLinks();
    Link* Find(LinkId id);
    const Link* Find(LinkId id) const;

    LinkOptions options_;
    LinkEvents& events_;
    Logger log_;
    // Hands each accepted connection's descriptor on, instead of making a
    // QTcpSocket of it: those keep a buffer of 16 KiB each once used.
    class Listener final : public QTcpServer {
    public:
        std::function<void(int descriptor)> onAccepted;

    protected:
        void incomingConnection(qintptr descriptor) override { onAccepted(static_cast<int>(descriptor)); }
    };
    Listener server_;
    std::unordered_map<LinkId, Link> links_;
    LinkId next_ = 1;
    int refused_ = 0;
    QTimer acceptPause_;
    QTimer idleSweep_;
    QElapsedTimer clock_;
};

}  // namespace redten::room
