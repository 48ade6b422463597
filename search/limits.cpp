// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The monotonic clock readings the engine measures time with.
#include "search/limits.h"

#include <chrono>

// The steady clock: a clock that follows the time of day would add to (or take from) the
// engine's time whatever the system clock is set by during a game.
uint32_t timestampNow() {
    using namespace std::chrono;
    return uint32_t(duration_cast<duration<int64_t, std::centi>>(steady_clock::now().time_since_epoch()).count());
}

int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
