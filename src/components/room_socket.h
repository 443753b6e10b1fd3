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
// socket's read notification, so a burst from the room leaves room between
// its messages for the timers, the mouse and the painting.
class RoomSocket final : public RoomLink {
    Q_OBJECT
public:
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
};

}  // namespace redten
