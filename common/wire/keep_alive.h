#pragma once

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cstdint>

namespace redten {

// A peer that vanished without closing the link is found within about a
// minute: probes after 20 quiet seconds, every 10, three unanswered. Both
// the table and the room use it on their links.
inline void ProbeQuietLink(std::intptr_t descriptor) {
    const int fd = static_cast<int>(descriptor);
    int on = 1, idle = 20, interval = 10, count = 3;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

}  // namespace redten
