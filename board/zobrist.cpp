// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Zobrist keys and the process's pseudo-random seed.
#include "board/zobrist.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include "platform/random.h"

uint64_t zobristPiece[12][64];
uint64_t zobristCastle[16];
uint64_t zobristEp[8];
uint64_t zobristSide;

namespace {

// A fixed seed makes the keys identical in every run; nothing stored on disk depends on them.
constexpr unsigned KEY_SEED = 327641845u;

// Keys take 11-bit slices from six draws (a habit from 15-bit rand() implementations; the
// keys, and every signature, depend on it).
uint64_t randomBits(int count) { return uint64_t(nextRandom()) & ((uint64_t(1) << count) - 1); }

void buildKeys() {
    seedRandom(KEY_SEED);
    for (auto &pieceKeys : zobristPiece)
        for (uint64_t &key : pieceKeys) key = randomKey64();
    for (int right : {WHITE_OO, WHITE_OOO, BLACK_OO, BLACK_OOO}) zobristCastle[right] = randomKey64();
    for (uint64_t &key : zobristEp) key = randomKey64();
    zobristSide = randomKey64();
}

void seedFromClock() {
    using namespace std::chrono;
    constexpr int64_t MS_PER_DAY = 24 * 60 * 60 * 1000;
    // The system clock counts from midnight UTC, so the remainder is the UTC time of day.
    const int64_t msSinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const uint64_t msOfDay = uint64_t(msSinceEpoch % MS_PER_DAY);
    seedRandom(unsigned(uint32_t(msOfDay * uint64_t(std::time(nullptr)))));
}

std::once_flag keysBuilt;
std::once_flag clockSeeded;

}  // namespace

uint64_t randomKey64() {
    // Separate statements: the order of the draws fixes which bits each one fills.
    uint64_t key = randomBits(11);
    key |= randomBits(11) << 11;
    key |= randomBits(11) << 22;
    key |= randomBits(11) << 33;
    key |= randomBits(11) << 44;
    key |= randomBits(9) << 55;
    return key;
}

void initZobristKeys() { std::call_once(keysBuilt, buildKeys); }

void seedRandomFromClock() { std::call_once(clockSeeded, seedFromClock); }
