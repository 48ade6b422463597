// A stopwatch on the engine's centisecond time-of-day clock, for the tools' timings.
#pragma once

#include <cstdint>

#include "search/limits.h"

// Differences of two stamps are right across the 32-bit wrap-around as long as they are
// taken as uint32_t.
inline uint32_t timestampCentiseconds() { return timestampNow(); }

class Stopwatch {
public:
    // Accumulated time back to 0, running from now.
    void restart() {
        accumulatedCs_ = 0;
        startCs_ = timestampCentiseconds();
        running_ = true;
    }
    void stop() {
        if (!running_) return;
        accumulatedCs_ += timestampCentiseconds() - startCs_;
        running_ = false;
    }
    // Time counted so far, including the current running stretch.
    uint32_t elapsedCs() const { return accumulatedCs_ + (running_ ? timestampCentiseconds() - startCs_ : 0); }

private:
    bool running_ = false;
    uint32_t accumulatedCs_ = 0;
    uint32_t startCs_ = 0;
};
