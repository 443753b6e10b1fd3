#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>

#include <cstddef>
#include <functional>
#include <memory>

namespace redten::room {

// One connection's socket, on its descriptor. What arrives is handed on as
// it comes; what is written goes straight to the kernel, and only what the
// kernel will not take waits here, in order. An idle link keeps no buffer:
// a room holds thousands of them.
class LinkSocket final : public QObject {
public:
    // Takes the descriptor of an accepted connection and closes it in the end.
    explicit LinkSocket(int descriptor, QObject* parent = nullptr);
    ~LinkSocket() override;
    LinkSocket(const LinkSocket&) = delete;
    LinkSocket& operator=(const LinkSocket&) = delete;

    // Bytes as they arrive; at most a bounded piece at a time.
    std::function<void(const char* data, std::size_t size)> onData;
    // The link has ended: the peer hung up, it broke, or it was aborted.
    // Told once, from the event loop.
    std::function<void()> onClosed;

    const QHostAddress& PeerAddress() const { return peer_; }
    QHostAddress LocalAddress() const;
    // Written but not yet taken by the kernel.
    std::size_t Unsent() const { return static_cast<std::size_t>(unsent_.size()); }

    void Write(const char* data, std::size_t size);
    // Ends our side once everything written has gone; the link ends when
    // the peer hangs up in turn.
    void Shutdown();
    // Ends the link now; what was not sent is lost.
    void Abort();

private:
    void OnReadable();
    void OnWritable();
    // Sends what waits; false when the link broke.
    bool SendUnsent();
    void Closed();

    int fd_;
    QHostAddress peer_;
    QSocketNotifier reader_;
    std::unique_ptr<QSocketNotifier> writer_;  // made the first time the kernel is full
    QByteArray unsent_;
    bool shutdownAsked_ = false;
    bool closed_ = false;
};

}  // namespace redten::room
