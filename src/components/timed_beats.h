#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

#include "state/notices.h"

namespace redten {

// The table's beats on Qt's precise timers. Each runs from the event loop
// once its time has come; Cancel drops every beat still due, and so does
// the end of the object.
class TimedBeats final : public QObject, public Beats {
    Q_OBJECT
public:
    // How long a second of a beat is (tests run them fast).
    void SetSecondMs(int ms) { secondMs_ = ms; }

    void After(std::uint32_t ms, std::function<void()> beat) override;
    void Cancel() { ++generation_; }

private:
    int secondMs_ = 1000;
    std::uint64_t generation_ = 0;
};

}  // namespace redten
