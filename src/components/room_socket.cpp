#include "components/room_socket.h"

#include "wire/keep_alive.h"

namespace redten {

RoomSocket::RoomSocket(QObject* parent) : RoomLink(parent) {
    connectTimer_.setSingleShot(true);
    beat_.setInterval(kBeatMs);
    connect(&beat_, &QTimer::timeout, this, &RoomSocket::Beat);
    connect(&connectTimer_, &QTimer::timeout, this, [this] { EndLink(EndKind::Error); });
    connect(&socket_, &QTcpSocket::connected, this, &RoomSocket::OnConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &RoomSocket::OnReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, [this] {
        // Whatever the room sent before it closed is still delivered.
        if (socket_.bytesAvailable() > 0) {
            OnReadyRead();
        }
        EndLink(EndKind::Closed);
    });
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        EndLink(e == QAbstractSocket::RemoteHostClosedError ? EndKind::Closed : EndKind::Error);
    });
}

RoomSocket::~RoomSocket() {
    // The link ends with us; nobody is left to tell.
    socket_.disconnect(this);
    socket_.abort();
}

void RoomSocket::Connect(const std::string& host, std::int32_t port, std::int32_t timeoutSeconds) {
    if (state_ != State::Idle) {
        return;
    }
    state_ = State::Connecting;
    if (port < 1 || port > 65535 || host.empty()) {
        EndLink(EndKind::Error);
        return;
    }
    if (timeoutSeconds > 0) {
        connectTimer_.start(timeoutSeconds * 1000);
    }
    socket_.connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
}

void RoomSocket::Send(const Bytes& message) {
    if (message.empty() || message.size() > kMaxFrameLength) {
        return;
    }
    switch (state_) {
        case State::Idle:
        case State::Connecting:
            outbox_.push_back(message);
            break;
        case State::Linked: {
            beat_.start();  // the next beat is due a whole interval from now
            const Bytes frame = EncodeFrame(message);
            socket_.write(reinterpret_cast<const char*>(frame.data()),
                          static_cast<qint64>(frame.size()));
            break;
        }
        case State::Ended:
            break;
    }
}

void RoomSocket::Close() {
    if (state_ == State::Linked) {
        socket_.flush();  // the last words (a leave) reach the kernel now
    }
    state_ = State::Ended;
    endRaised_ = true;
    connectTimer_.stop();
    beat_.stop();
    outbox_.clear();
    decoder_ = FrameDecoder();
    socket_.disconnectFromHost();
}

void RoomSocket::OnConnected() {
    if (state_ != State::Connecting) {
        return;
    }
    connectTimer_.stop();
    state_ = State::Linked;
    // Our messages are small and each one matters now: no waiting for a
    // delayed acknowledgement to fill a segment.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ProbeQuietLink(socket_.socketDescriptor());
    beat_.start();
    // The greeting the handler sends from Connected must be the room's first
    // message, so anything sent earlier follows it.
    std::deque<Bytes> early;
    early.swap(outbox_);
    emit Connected();
    for (const Bytes& message : early) {
        Send(message);
    }
}

void RoomSocket::Beat() {
    if (state_ == State::Linked) {
        static constexpr char kEmptyFrame[4] = {0, 0, 0, 0};
        socket_.write(kEmptyFrame, sizeof kEmptyFrame);
    }
}

void RoomSocket::OnReadyRead() {
    if (state_ == State::Ended) {
        socket_.readAll();
        return;
    }
    const QByteArray data = socket_.readAll();
    if (!decoder_.feed(reinterpret_cast<const std::uint8_t*>(data.constData()),
                       static_cast<std::size_t>(data.size()))) {
        EndLink(EndKind::Error);
        socket_.abort();
    }
    ScheduleDelivery();
}

void RoomSocket::EndLink(EndKind kind) {
    if (state_ == State::Ended) {
        return;
    }
    state_ = State::Ended;
    pendingEnd_ = kind;
    connectTimer_.stop();
    beat_.stop();
    outbox_.clear();
    ScheduleDelivery();
}

void RoomSocket::ScheduleDelivery() {
    if (deliveryScheduled_) {
        return;
    }
    if (!decoder_.hasMessage() && (pendingEnd_ == EndKind::None || endRaised_)) {
        return;
    }
    deliveryScheduled_ = true;
    QMetaObject::invokeMethod(this, &RoomSocket::DeliverNext, Qt::QueuedConnection);
}

void RoomSocket::DeliverNext() {
    deliveryScheduled_ = false;
    if (decoder_.hasMessage()) {
        const Bytes message = decoder_.takeMessage();
        // Scheduled first: a handler that ends the link must find the end
        // still to come after the messages before it.
        ScheduleDelivery();
        emit DataArrival(message);
        return;
    }
    if (pendingEnd_ != EndKind::None && !endRaised_) {
        endRaised_ = true;
        if (pendingEnd_ == EndKind::Closed) {
            emit Closed();
        } else {
            emit Error();
        }
    }
}

}  // namespace redten
