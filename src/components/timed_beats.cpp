#include "components/timed_beats.h"

#include <QTimer>

#include <algorithm>

namespace redten {

void TimedBeats::After(std::uint32_t ms, std::function<void()> beat) {
    const std::uint64_t scaled = std::uint64_t{ms} * static_cast<std::uint64_t>(std::max(secondMs_, 0)) / 1000;
    const int delay = static_cast<int>(std::min<std::uint64_t>(scaled, 0x7FFFFFFF));
    QTimer::singleShot(delay, Qt::PreciseTimer, this, [this, generation = generation_, beat = std::move(beat)] {
        if (generation == generation_) {
            beat();
        }
    });
}

}  // namespace redten
