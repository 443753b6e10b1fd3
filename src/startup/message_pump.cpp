#include "startup/message_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

#include "platform/tick_count.h"

namespace redten {

bool MessagePump::PumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !exiting_();
}

bool MessagePump::WaitTime(std::uint32_t ms) {
    ms = static_cast<std::uint32_t>(std::uint64_t{ms} * static_cast<std::uint64_t>(secondMs_) / 1000);
    const std::uint32_t start = GetTickCount();
    // A timer at the deadline wakes the loop, so the wait sleeps between
    // events instead of spinning.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        if (exiting_()) {
            return false;
        }
        const std::uint32_t elapsed = GetTickCount() - start;
        if (elapsed >= ms) {
            return true;
        }
        if (!wake.isActive()) {
            wake.start(static_cast<int>(std::min<std::uint32_t>(ms - elapsed, 0x7FFFFFFF)));
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

}  // namespace redten
