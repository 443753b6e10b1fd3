#pragma once

#include <cstdint>
#include <functional>

#include "state/notices.h"

namespace redten {

// The table's waits. They run the event loop while they wait, so a message,
// a timer or a click arriving meanwhile is handled inside the wait.
//
// Once the main window is unloading the waits stop waiting and report it:
// the handler that waited returns, and the program ends when control is
// back in the main loop instead of being cut off in the middle of a handler.
class MessagePump final : public Waiter {
public:
    explicit MessagePump(std::function<bool()> exiting) : exiting_(std::move(exiting)) {}
    // How long a second of waiting is (tests run the waits fast).
    void SetSecondMs(int ms) { secondMs_ = ms; }

    // Handles every pending event. False when the program is ending.
    bool PumpMessages();
    // Pumps until at least ms milliseconds have passed. False when the
    // program began to end during the wait.
    bool WaitTime(std::uint32_t ms) override;

private:
    std::function<bool()> exiting_;
    int secondMs_ = 1000;
};

}  // namespace redten
