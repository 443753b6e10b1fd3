#include "components/ro_clock.h"

namespace redten {

RoClock::RoClock(bool ticksByItself, QObject* parent)
    : QObject(parent), ticksByItself_(ticksByItself) {
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &RoClock::TickOnce);
}

void RoClock::Start(int limitSeconds, int warningSeconds) {
    limit_ = std::max(limitSeconds, 0);
    warning_ = warningSeconds;
    elapsed_ = 0;
    running_ = true;
    if (ticksByItself_) {
        timer_.start();
    }
}

void RoClock::Stop() {
    running_ = false;
    timer_.stop();
}

void RoClock::TickOnce() {
    if (!running_) {
        return;
    }
    ++elapsed_;
    emit Tick();
    if (running_ && limit_ - elapsed_ == warning_) {
        emit Warning();
    }
    if (running_ && elapsed_ >= limit_) {
        Stop();
        emit TimeOut();
    }
}

}  // namespace redten
