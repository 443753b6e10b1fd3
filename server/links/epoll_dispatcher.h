#pragma once

#include <QAbstractEventDispatcher>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

struct epoll_event;

namespace redten::room {

// The room's event loop on epoll. Qt's own dispatchers poll every socket
// notifier on each turn of the loop, so with thousands of links most of a
// play's cost went to the kernel walking links that had nothing to say;
// here a turn costs what is ready, and a timer is started or stopped in
// logarithmic time instead of a walk of every running timer.
//
// Level-triggered, like poll: Qt's sockets expect to be told again about
// what they left unread. A notifier switched off and on within one turn (a
// socket's write notifier around a write that went out at once) costs no
// system call: the descriptor's interest is brought up to date before the
// loop waits. Every timer is precise to the millisecond.
//
// Install it before the application object is made:
//   QCoreApplication::setEventDispatcher(new EpollDispatcher);
class EpollDispatcher final : public QAbstractEventDispatcher {
public:
    explicit EpollDispatcher(QObject* parent = nullptr);
    ~EpollDispatcher() override;

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;

    void registerSocketNotifier(QSocketNotifier* notifier) override;
    void unregisterSocketNotifier(QSocketNotifier* notifier) override;

    void registerTimer(int timerId, qint64 interval, Qt::TimerType timerType, QObject* object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject* object) override;
    QList<TimerInfo> registeredTimers(QObject* object) const override;
    int remainingTime(int timerId) override;

    // Both may be called from any thread.
    void wakeUp() override;
    void interrupt() override;

private:
    using Clock = std::chrono::steady_clock;

    // The notifiers of one descriptor, and the interest the kernel holds.
    struct Watch {
        QSocketNotifier* notifiers[3] = {};  // read, write, exception
        std::uint32_t registered = 0;         // events epoll was given
        std::uint32_t tag = 0;                // tells this watch from a closed one's
        bool pending = false;                 // its interest changed this turn
        std::uint32_t Wanted() const;
        bool Empty() const { return Wanted() == 0 && registered == 0; }
    };
    struct Timer {
        qint64 interval = 0;
        Qt::TimerType type = Qt::CoarseTimer;
        QObject* object = nullptr;
        Clock::time_point deadline;
        bool firing = false;  // its event is being delivered
    };

    Watch* Find(int fd);
    void ApplyInterest(int fd, Watch& watch);
    void UpdatePendingInterest();
    int Timeout(bool wait) const;
    bool DispatchSockets(const ::epoll_event* events, int count);
    bool FireTimers();
    void Schedule(int id, Timer& timer, Clock::time_point deadline);

    int epoll_ = -1;
    int wake_ = -1;  // an eventfd
    std::atomic<bool> wakePending_{false};
    std::atomic<bool> interrupted_{false};
    std::vector<Watch> watches_;        // by descriptor; descriptors are small numbers
    std::vector<int> pendingInterest_;  // descriptors whose interest changed this turn
    std::uint32_t nextTag_ = 1;
    std::unordered_map<int, Timer> timers_;
    std::set<std::pair<Clock::time_point, int>> deadlines_;
};

}  // namespace redten::room
