#include "server/links/link_socket.h"

#include <QTimer>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace redten::room {
namespace {

// The most taken from one link in one turn of the loop; the rest waits in
// the kernel for the next turn, so a flood cannot hold the room.
constexpr std::size_t kReadPiece = 64 * 1024;

bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

}  // namespace

LinkSocket::LinkSocket(int descriptor, QObject* parent)
    : QObject(parent), fd_(descriptor), reader_(descriptor, QSocketNotifier::Read) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        peer_ = QHostAddress(reinterpret_cast<const sockaddr*>(&address));
    }
    connect(&reader_, &QSocketNotifier::activated, this, &LinkSocket::OnReadable);
}

LinkSocket::~LinkSocket() {
    reader_.setEnabled(false);
    writer_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

QHostAddress LinkSocket::LocalAddress() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return {};
    }
    return QHostAddress(reinterpret_cast<const sockaddr*>(&address));
}

void LinkSocket::OnReadable() {
    static thread_local std::array<char, kReadPiece> piece;
    const auto n = ::recv(fd_, piece.data(), piece.size(), MSG_DONTWAIT);
    if (n > 0) {
        // A copy: the owner may let go of us, callbacks and all, from inside.
        if (const auto data = onData) {
            data(piece.data(), static_cast<std::size_t>(n));
        }
        return;
    }
    if (n < 0 && WouldBlock()) {
        return;
    }
    Closed();  // the peer hung up (0), or the link broke
}

void LinkSocket::Write(const char* data, std::size_t size) {
    if (closed_ || size == 0) {
        return;
    }
    std::size_t sent = 0;
    if (unsent_.isEmpty()) {
        const auto n = ::send(fd_, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && !WouldBlock()) {
            Closed();
            return;
        }
        sent = n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    if (sent == size) {
        return;
    }
    unsent_.append(data + sent, static_cast<qsizetype>(size - sent));
    if (!writer_) {
        writer_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
        connect(writer_.get(), &QSocketNotifier::activated, this, &LinkSocket::OnWritable);
    }
    writer_->setEnabled(true);
}

bool LinkSocket::SendUnsent() {
    while (!unsent_.isEmpty()) {
        const auto n = ::send(fd_, unsent_.constData(), static_cast<std::size_t>(unsent_.size()),
                              MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0) {
            return WouldBlock();
        }
        unsent_.remove(0, n);
    }
    unsent_ = QByteArray();  // its memory goes with it
    return true;
}

void LinkSocket::OnWritable() {
    if (!SendUnsent()) {
        Closed();
        return;
    }
    if (unsent_.isEmpty()) {
        writer_->setEnabled(false);
        if (shutdownAsked_) {
            ::shutdown(fd_, SHUT_WR);
        }
    }
}

void LinkSocket::Shutdown() {
    shutdownAsked_ = true;
    if (!closed_ && unsent_.isEmpty()) {
        ::shutdown(fd_, SHUT_WR);
    }
}

void LinkSocket::Abort() {
    if (fd_ < 0) {
        return;
    }
    reader_.setEnabled(false);
    writer_.reset();
    ::close(fd_);
    fd_ = -1;
    unsent_ = QByteArray();
    Closed();
}

void LinkSocket::Closed() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (fd_ >= 0) {
        reader_.setEnabled(false);
        if (writer_) {
            writer_->setEnabled(false);
        }
    }
    // Never from inside the caller's own call: the owner may delete us.
    QTimer::singleShot(0, this, [this] {
        if (const auto closed = onClosed) {
            closed();
        }
    });
}

}  // namespace redten::room
