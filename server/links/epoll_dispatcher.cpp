#include "server/links/epoll_dispatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <stdexcept>
#include <vector>

namespace redten::room {
namespace {

constexpr int kRead = QSocketNotifier::Read;
constexpr int kWrite = QSocketNotifier::Write;
constexpr int kException = QSocketNotifier::Exception;

// The wake-up descriptor's tag; watches count up from 1.
constexpr std::uint32_t kWakeTag = 0;

std::uint64_t EventData(int fd, std::uint32_t tag) {
    return (static_cast<std::uint64_t>(tag) << 32) | static_cast<std::uint32_t>(fd);
}

}  // namespace

std::uint32_t EpollDispatcher::Watch::Wanted() const {
    return (notifiers[kRead] ? EPOLLIN : 0u) | (notifiers[kWrite] ? EPOLLOUT : 0u) |
           (notifiers[kException] ? EPOLLPRI : 0u);
}

EpollDispatcher::EpollDispatcher(QObject* parent) : QAbstractEventDispatcher(parent) {
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = EventData(wake_, kWakeTag);
    if (epoll_ < 0 || wake_ < 0 || ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event) != 0) {
        throw std::runtime_error("the event loop could not be made (epoll)");
    }
}

EpollDispatcher::~EpollDispatcher() {
    ::close(wake_);
    ::close(epoll_);
}

// --- sockets ----------------------------------------------------------------------

EpollDispatcher::Watch* EpollDispatcher::Find(int fd) {
    return fd >= 0 && static_cast<std::size_t>(fd) < watches_.size() ? &watches_[fd] : nullptr;
}

void EpollDispatcher::registerSocketNotifier(QSocketNotifier* notifier) {
    const int fd = static_cast<int>(notifier->socket());
    if (fd < 0) {
        return;
    }
    if (static_cast<std::size_t>(fd) >= watches_.size()) {
        watches_.resize(static_cast<std::size_t>(fd) + 1);
    }
    Watch& watch = watches_[fd];
    watch.notifiers[notifier->type()] = notifier;
    if (!watch.pending) {
        watch.pending = true;
        pendingInterest_.push_back(fd);
    }
}

void EpollDispatcher::unregisterSocketNotifier(QSocketNotifier* notifier) {
    const int fd = static_cast<int>(notifier->socket());
    Watch* watch = Find(fd);
    if (watch == nullptr || watch->notifiers[notifier->type()] != notifier) {
        return;
    }
    watch->notifiers[notifier->type()] = nullptr;
    if (watch->Wanted() != 0) {
        if (!watch->pending) {
            watch->pending = true;
            pendingInterest_.push_back(fd);
        }
        return;
    }
    // The last notifier of a descriptor goes while the descriptor is still
    // open: the kernel forgets it now, so a descriptor of the same number
    // opened later is never taken for this one.
    if (watch->registered != 0) {
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
        watch->registered = 0;
    }
}

void EpollDispatcher::ApplyInterest(int fd, Watch& watch) {
    const std::uint32_t wanted = watch.Wanted();
    if (wanted == watch.registered) {
        return;
    }
    epoll_event event{};
    event.events = wanted;
    if (watch.registered == 0) {
        watch.tag = nextTag_++;
        if (nextTag_ == kWakeTag) {
            ++nextTag_;
        }
    }
    event.data.u64 = EventData(fd, watch.tag);
    int done = ::epoll_ctl(epoll_, watch.registered == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, &event);
    if (done != 0 && errno == ENOENT) {  // closed and opened again behind our back
        done = ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
    } else if (done != 0 && errno == EEXIST) {
        done = ::epoll_ctl(epoll_, EPOLL_CTL_MOD, fd, &event);
    }
    if (done != 0) {
        qWarning("event loop: descriptor %d cannot be watched (errno %d)", fd, errno);
        return;
    }
    watch.registered = wanted;
}

void EpollDispatcher::UpdatePendingInterest() {
    for (const int fd : pendingInterest_) {
        if (Watch* watch = Find(fd); watch != nullptr && watch->pending) {
            watch->pending = false;
            ApplyInterest(fd, *watch);
        }
    }
    pendingInterest_.clear();
}

bool EpollDispatcher::DispatchSockets(const epoll_event* events, int count) {
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const int fd = static_cast<int>(events[i].data.u64 & 0xffffffffu);
        const auto tag = static_cast<std::uint32_t>(events[i].data.u64 >> 32);
        if (tag == kWakeTag) {
            continue;
        }
        const std::uint32_t happened = events[i].events;
        // As poll reports them to Qt's sockets: a hang-up or an error is
        // news for a reader, an error for a writer too.
        const std::array<std::pair<int, std::uint32_t>, 3> kinds = {{
            {kRead, EPOLLIN | EPOLLHUP | EPOLLERR | EPOLLRDHUP},
            {kWrite, EPOLLOUT | EPOLLERR},
            {kException, EPOLLPRI},
        }};
        for (const auto& [kind, mask] : kinds) {
            if ((happened & mask) == 0) {
                continue;
            }
            // Each delivery may close, open or switch off any descriptor:
            // the watch is looked up again and must be the one the kernel
            // reported on.
            const Watch* watch = Find(fd);
            if (watch == nullptr || watch->registered == 0 || watch->tag != tag) {
                break;
            }
            QSocketNotifier* notifier = watch->notifiers[kind];
            if (notifier == nullptr) {
                continue;
            }
            QEvent activated(QEvent::SockAct);
            QCoreApplication::sendEvent(notifier, &activated);
            any = true;
        }
    }
    return any;
}

// --- timers -----------------------------------------------------------------------

void EpollDispatcher::Schedule(int id, Timer& timer, Clock::time_point deadline) {
    deadlines_.erase({timer.deadline, id});
    timer.deadline = deadline;
    deadlines_.insert({deadline, id});
}

void EpollDispatcher::registerTimer(int timerId, qint64 interval, Qt::TimerType timerType, QObject* object) {
    unregisterTimer(timerId);
    Timer& timer = timers_[timerId];
    timer.interval = std::max<qint64>(interval, 0);
    timer.type = timerType;
    timer.object = object;
    timer.deadline = Clock::now() + std::chrono::milliseconds(timer.interval);
    deadlines_.insert({timer.deadline, timerId});
}

bool EpollDispatcher::unregisterTimer(int timerId) {
    const auto it = timers_.find(timerId);
    if (it == timers_.end()) {
        return false;
    }
    deadlines_.erase({it->second.deadline, timerId});
    timers_.erase(it);
    return true;
}

bool EpollDispatcher::unregisterTimers(QObject* object) {
    std::vector<int> ids;
    for (const auto& [id, timer] : timers_) {
        if (timer.object == object) {
            ids.push_back(id);
        }
    }
    for (const int id : ids) {
        unregisterTimer(id);
    }
    return !ids.empty();
}

QList<QAbstractEventDispatcher::TimerInfo> EpollDispatcher::registeredTimers(QObject* object) const {
    QList<TimerInfo> infos;
    for (const auto& [id, timer] : timers_) {
        if (timer.object == object) {
            infos.append(TimerInfo(id, static_cast<int>(timer.interval), timer.type));
        }
    }
    return infos;
}

int EpollDispatcher::remainingTime(int timerId) {
    const auto it = timers_.find(timerId);
    if (it == timers_.end()) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(it->second.deadline - Clock::now());
    return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
}

bool EpollDispatcher::FireTimers() {
    const Clock::time_point now = Clock::now();
    // Each timer due now fires once; one started by a handler waits for a
    // later turn, so a zero timer that restarts itself cannot starve the
    // sockets.
    std::vector<int> due;
    for (auto it = deadlines_.begin(); it != deadlines_.end() && it->first <= now; ++it) {
        due.push_back(it->second);
    }
    bool any = false;
    for (const int id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end() || it->second.firing || it->second.deadline > now) {
            continue;
        }
        Timer& timer = it->second;
        // The next deadline keeps the timer's rhythm unless it fell behind.
        auto next = timer.deadline + std::chrono::milliseconds(timer.interval);
        if (next <= now) {
            next = now + std::chrono::milliseconds(timer.interval);
        }
        Schedule(id, timer, next);
        timer.firing = true;
        QObject* object = timer.object;
        QTimerEvent event(id);
        QCoreApplication::sendEvent(object, &event);
        any = true;
        it = timers_.find(id);  // the handler may have stopped or restarted it
        if (it != timers_.end()) {
            it->second.firing = false;
        }
    }
    return any;
}

int EpollDispatcher::Timeout(bool wait) const {
    if (!wait) {
        return 0;
    }
    if (deadlines_.empty()) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadlines_.begin()->first - Clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
}

// --- the loop ---------------------------------------------------------------------

void EpollDispatcher::wakeUp() {
    if (!wakePending_.exchange(true)) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
    }
}

void EpollDispatcher::interrupt() {
    interrupted_ = true;
    wakeUp();
}

bool EpollDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags) {
    interrupted_ = false;
    emit awake();
    QCoreApplication::sendPostedEvents();
    if (interrupted_) {
        return false;
    }
    const bool wait = flags.testFlag(QEventLoop::WaitForMoreEvents);
    if (wait) {
        emit aboutToBlock();
    }
    // Whatever ran before the wait may have switched notifiers on or off.
    UpdatePendingInterest();
    constexpr int kBatch = 256;
    epoll_event events[kBatch];
    int count = -1;
    do {
        count = ::epoll_wait(epoll_, events, kBatch, interrupted_ ? 0 : Timeout(wait));
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        qWarning("event loop: epoll_wait failed (errno %d)", errno);
        count = 0;
    }
    for (int i = 0; i < count; ++i) {
        if (static_cast<std::uint32_t>(events[i].data.u64 >> 32) == kWakeTag) {
            std::uint64_t value = 0;
            [[maybe_unused]] const auto read = ::read(wake_, &value, sizeof value);
            // Cleared before this turn's events are handled and the next
            // turn's posted events sent: a post from now on wakes us again.
            wakePending_ = false;
        }
    }
    bool any = false;
    if (!flags.testFlag(QEventLoop::ExcludeSocketNotifiers)) {
        any = DispatchSockets(events, count) || any;
    }
    if (!flags.testFlag(QEventLoop::X11ExcludeTimers)) {
        any = FireTimers() || any;
    }
    return any;
}

}  // namespace redten::room
