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
        accumulated_ = 0;
        start_ = timestampCentiseconds();
        running_ = true;
    }
    void stop() {
        if (!running_) return;
        accumulated_ += timestampCentiseconds() - start_;
        running_ = false;
    }
    // Centiseconds counted so far, including the current running stretch.
    uint32_t elapsed() const { return accumulated_ + (running_ ? timestampCentiseconds() - start_ : 0); }
    bool running() const { return running_; }

private:
    bool running_ = false;
    uint32_t accumulated_ = 0;
    uint32_t start_ = 0;
};
