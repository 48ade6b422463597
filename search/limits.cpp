// The engine clock in centiseconds.
#include "search/limits.h"

#include <chrono>

uint32_t timestampNow() {
    using namespace std::chrono;
    const uint64_t ms = uint64_t(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
    return uint32_t((ms / 1000) * 100 + (ms % 1000) / 10);
}

uint32_t currentElapsed(const SearchLimits &limits) {
    return limits.elapsed + (limits.clockRunning ? timestampNow() - limits.clockStart : 0);
}

void startClock(SearchLimits &limits) {
    if (limits.clockRunning) return;
    limits.clockRunning = true;
    limits.clockStart = timestampNow();
}

void stopClock(SearchLimits &limits) {
    if (!limits.clockRunning) return;
    limits.clockRunning = false;
    limits.elapsed += timestampNow() - limits.clockStart;
}
