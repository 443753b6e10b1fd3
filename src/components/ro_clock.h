#pragma once

#include <QObject>
#include <QTimer>

#include <string>

namespace redten {

// The turn clock (RoClock): counts the seconds of a turn. After Start, one
// Tick comes every second, one Warning when the seconds left reach the
// warning value, and one TimeOut when the limit is reached; after Stop
// nothing comes. The tag is the caller's note of the seat it runs for.
class RoClock final : public QObject {
    Q_OBJECT
public:
    // A clock that does not tick by itself is moved on with TickOnce (tests).
    explicit RoClock(bool ticksByItself = true, QObject* parent = nullptr);
    // How long a second is (tests run the clock fast).
    void SetSecondMs(int ms) { timer_.setInterval(ms); }

    std::string Tag = "100";

    void Start(int limitSeconds, int warningSeconds);
    void Stop();
    bool IsRunning() const { return running_; }
    int Limit() const { return limit_; }
    int Elapsed() const { return elapsed_; }

    // One second passes.
    void TickOnce();

signals:
    void Tick();
    void Warning();
    void TimeOut();

private:
    QTimer timer_;
    bool ticksByItself_;
    bool running_ = false;
    int limit_ = 0;
    int warning_ = 0;
    int elapsed_ = 0;
};

}  // namespace redten
