// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The generator behind nextRandom: 31 words of state, each draw adds the word three
// places behind to the current one; the seed fills the words by the minimal standard
// generator (16807 * x mod 2^31 - 1) and 310 draws are thrown away.
#include "platform/random.h"

#include <array>
#include <mutex>

namespace {

constexpr int DEGREE = 31;
constexpr int SEPARATION = 3;

class AdditiveGenerator {
public:
    constexpr AdditiveGenerator() { seed(1); }

    constexpr void seed(uint32_t s) {
        int32_t word = int32_t(s == 0 ? 1 : s);
        state_[0] = uint32_t(word);
        for (int i = 1; i < DEGREE; ++i) {
            // Schrage's method keeps 16807 * word mod (2^31 - 1) within 32 bits.
            const int64_t hi = word / 127773, lo = word % 127773;
            int64_t next = 16807 * lo - 2836 * hi;
            if (next < 0) next += 2147483647;
            word = int32_t(next);
            state_[i] = uint32_t(word);
        }
        front_ = SEPARATION;
        rear_ = 0;
        for (int i = 0; i < 10 * DEGREE; ++i) next();
    }

    constexpr int next() {
        state_[front_] += state_[rear_];
        const int result = int(state_[front_] >> 1);
        front_ = front_ + 1 == DEGREE ? 0 : front_ + 1;
        rear_ = rear_ + 1 == DEGREE ? 0 : rear_ + 1;
        return result;
    }

private:
    std::array<uint32_t, DEGREE> state_{};
    int front_ = SEPARATION, rear_ = 0;
};

// Neither needs code run before main (a std::mutex is not constant-initialised on every
// system, so it is made at first use): the program runs none of its own before it has
// chosen which copy of its code suits the processor.
std::mutex &generatorLock() {
    static std::mutex lock;
    return lock;
}
constinit AdditiveGenerator generator;

}  // namespace

void seedRandom(uint32_t seed) {
    const std::lock_guard<std::mutex> lock(generatorLock());
    generator.seed(seed);
}

int nextRandom() {
    const std::lock_guard<std::mutex> lock(generatorLock());
    return generator.next();
}
