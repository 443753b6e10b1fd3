#pragma once

#include <QTcpSocket>
#include <QTimer>

#include <deque>

#include "components/room_link.h"
#include "wire/framing.h"

namespace redten {

// The room link over TCP with our stream framing.
//
// Messages are handed on one per queued event rather than from inside the
// socket's read notification: a handler may pump events while it waits
// (the game handler's pauses, modal boxes), and messages arriving meanwhile
// must still be handled, nested inside that wait, in their order. Nesting
// stops at kMaxNesting: further messages wait, in order, until the
// handlers below them return, so a burst from the room cannot exhaust the
// stack. The end of the link never waits behind that limit.
class RoomSocket final : public RoomLink {
    Q_OBJECT
public:
    static constexpr int kMaxNesting = 8;

    explicit RoomSocket(QObject* parent = nullptr);
    ~RoomSocket() override;

    void Connect(const std::string& host, std::int32_t port, std::int32_t timeoutSeconds) override;
    void Send(const Bytes& message) override;
    void Close() override;
    // Whether small messages go out at once (TCP_NODELAY); tests ask.
    bool SendsAtOnce() { return socket_.socketOption(QAbstractSocket::LowDelayOption).toInt() != 0; }

    // After this long without sending anything the link sends an empty
    // frame, so the room can tell a quiet table from a dead one.
    static constexpr int kBeatMs = 15000;
    void SetBeatInterval(int ms) { beat_.setInterval(ms); }

private:
    enum class State { Idle, Connecting, Linked, Ended };
    enum class EndKind { None, Closed, Error };

    void OnConnected();
    void OnReadyRead();
    void Beat();
    void EndLink(EndKind kind);
    void ScheduleDelivery();
    void DeliverNext();

    QTcpSocket socket_;
    QTimer connectTimer_;
    QTimer beat_;
    FrameDecoder decoder_;
    std::deque<Bytes> outbox_;
    State state_ = State::Idle;
    EndKind pendingEnd_ = EndKind::None;
    bool endRaised_ = false;
    bool deliveryScheduled_ = false;
    int depth_ = 0;             // handlers running, one inside another
    bool heldBack_ = false;     // a delivery waits for a handler to return
};

}  // namespace redten
